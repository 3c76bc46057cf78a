# Fails unless the dynamic symbol table of LIBRARY defines the public Zalvo
# functions and nothing else of its own.
execute_process(COMMAND nm -D -C --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(exported "")
foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-f]+ [A-Za-z] (.*)$")
        set(name "${CMAKE_MATCH_1}")
        if(name MATCHES "^ZALVO_|^_init$|^_fini$")
            continue()
        endif()
        if(NOT name MATCHES "^Zalvo::")
            message(FATAL_ERROR "unexpected exported symbol: ${name}")
        endif()
        if(name MATCHES "^Zalvo::Detail::")
            message(FATAL_ERROR "internal symbol exported: ${name}")
        endif()
        list(APPEND exported "${name}")
    endif()
endforeach()
foreach(required GetColumnCount GetRowCount GetHeight GetSlope IsCorridor IsPassable IsHorizontal
                 FindShortestPixelPath CreateTerrain OptimizePixelPath CalculateWiggleRoomAroundPixelPath
                 AdjustHorizontalRoomRowsForOptimalPlateUsage AdjustHorizontalRoomRowsForPreferringStagger
                 CalculateSparsePixelPathThroughWiggleRooms)
    string(FIND "${exported}" "Zalvo::${required}(" position)
    if(position EQUAL -1)
        message(FATAL_ERROR "missing export: Zalvo::${required}")
    endif()
endforeach()
