# zalvo_read_version(<variable>): the library's version, read from the one
# place that states it, the ZALVO_VERSION_* macros of include/zalvo/zalvo.h.
# Stops with an error when the macros are missing or ZALVO_VERSION spells
# another version than the three numbers.
function(zalvo_read_version variable)
    set(header ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../include/zalvo/zalvo.h)
    file(STRINGS ${header} lines REGEX "^#define ZALVO_VERSION(_MAJOR|_MINOR|_PATCH)? ")
    foreach(part MAJOR MINOR PATCH)
        if(NOT lines MATCHES "#define ZALVO_VERSION_${part} ([0-9]+)")
            message(FATAL_ERROR "${header} defines no ZALVO_VERSION_${part}")
        endif()
        list(APPEND numbers ${CMAKE_MATCH_1})
    endforeach()
    list(JOIN numbers "." version)
    if(NOT lines MATCHES "#define ZALVO_VERSION \"([^\"]*)\"" OR NOT CMAKE_MATCH_1 STREQUAL version)
        message(FATAL_ERROR "${header}: ZALVO_VERSION does not spell ${version}, the version of its three numbers")
    endif()
    set(${variable} ${version} PARENT_SCOPE)
endfunction()
