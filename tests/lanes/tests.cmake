# The lanes, the step clock and event scheduling, live MIDI out: framework-free.
list(APPEND GRUM_ENGINE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BanorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LaneStageTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SequencerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MidiOutTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BanaRecipeTest.cpp
)
