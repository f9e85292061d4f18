# The conductor: core types, styles and grammar, arcs, mutation, phrase work, pins.
list(APPEND GRUM_ENGINE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Types.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Styles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Conductor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Mutation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PhraseWork.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PinList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LaneText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BarDump.cpp
)
