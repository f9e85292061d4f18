# The sound engines, the effects and the rack: framework-free, measured as sound.
list(APPEND GRUM_ENGINE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DspTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineTest.cpp
)
list(APPEND GRUM_ENGINE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/EffectsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RackTest.cpp
)
list(APPEND GRUM_ENGINE_TEST_SOURCES ${CMAKE_CURRENT_LIST_DIR}/LoudnessTest.cpp)
