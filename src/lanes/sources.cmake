# The modulation lanes and the real-time spine's plain parts: lane clock and
# targets, the step clock and event scheduling, live MIDI out, lane recipes.
list(APPEND GRUM_ENGINE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Banor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Sequencer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LaneStage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MidiOut.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BanaRecipe.cpp
)
# The offline host that the renderer, the tests and the benchmarks share.
list(APPEND GRUM_PLUGIN_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/OfflineHost.cpp
)
