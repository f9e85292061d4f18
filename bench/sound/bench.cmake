# The engines and the rack: cost per second of audio.
list(APPEND GRUM_BENCH_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SoundBench.cpp
)
