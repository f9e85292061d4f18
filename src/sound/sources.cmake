# The sound engines and the mix: engine interface and DSP blocks, the classic
# drum and tonal synthesisers, the GRUM synth, the effects and the rack.
list(APPEND GRUM_ENGINE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DrumEngines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TonalEngines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AcidEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Effects.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Rack.cpp
)
# The loudness meter (integrated LUFS and sample peak) that reports on renders.
list(APPEND GRUM_ENGINE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Loudness.cpp
)
