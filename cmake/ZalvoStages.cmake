# The library's stages, one folder of src/ each, listed from the bottom up: a
# stage may use the stages it names in ZALVO_STAGE_USES_<stage> and nothing
# else (the test stage_layers checks the includes). The shared library is made
# of all of them; a white-box test or a fuzz target links the objects of the
# stage it exercises and of the stages below it.
set(ZALVO_STAGES cells terrain search optimize rooms wiggle rows sparse)

set(ZALVO_STAGE_SOURCES_cells cells/Accessors.cpp)
set(ZALVO_STAGE_USES_cells "")

set(ZALVO_STAGE_SOURCES_terrain
    terrain/CreateTerrain.cpp terrain/Erosion.cpp terrain/Corridors.cpp terrain/TerrainText.cpp)
set(ZALVO_STAGE_USES_terrain cells)

set(ZALVO_STAGE_SOURCES_search search/ShortestPath.cpp search/OpenList.cpp)
set(ZALVO_STAGE_USES_search cells)

set(ZALVO_STAGE_SOURCES_optimize optimize/Optimize.cpp)
set(ZALVO_STAGE_USES_optimize cells)

set(ZALVO_STAGE_SOURCES_rooms rooms/Model.cpp)
set(ZALVO_STAGE_USES_rooms cells)

set(ZALVO_STAGE_SOURCES_wiggle
    wiggle/WiggleRoom.cpp wiggle/Stretches.cpp wiggle/Connect.cpp wiggle/Refine.cpp wiggle/VerticalLines.cpp)
set(ZALVO_STAGE_USES_wiggle cells rooms)

set(ZALVO_STAGE_SOURCES_rows rows/RowAdjustment.cpp rows/HorizontalRefinement.cpp)
set(ZALVO_STAGE_USES_rows cells rooms)

set(ZALVO_STAGE_SOURCES_sparse sparse/SparsePath.cpp)
set(ZALVO_STAGE_USES_sparse cells rooms)

# zalvo_add_stage_objects(<prefix> [compile options...]): an object library
# <prefix><stage> for every stage, compiled with the given extra options.
function(zalvo_add_stage_objects prefix)
    foreach(stage IN LISTS ZALVO_STAGES)
        set(sources ${ZALVO_STAGE_SOURCES_${stage}})
        list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/src/)
        add_library(${prefix}${stage} OBJECT ${sources})
        target_link_libraries(${prefix}${stage} PRIVATE zalvo_internal)
        target_compile_options(${prefix}${stage} PRIVATE ${ARGN})
    endforeach()
endfunction()

# zalvo_link_stages(<target> <prefix> <stage>...): adds to <target> the
# objects <prefix><stage> of the named stages and of every stage they use.
function(zalvo_link_stages target prefix)
    set(stages "")
    foreach(stage IN LISTS ARGN)
        list(APPEND stages ${ZALVO_STAGE_USES_${stage}} ${stage})
    endforeach()
    list(REMOVE_DUPLICATES stages)
    foreach(stage IN LISTS stages)
        target_sources(${target} PRIVATE $<TARGET_OBJECTS:${prefix}${stage}>)
    endforeach()
    target_link_libraries(${target} PRIVATE zalvo_internal)
endfunction()
