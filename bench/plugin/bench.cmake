# The processor's block loop with the framework.
list(APPEND GRUM_PLUGIN_BENCH_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SpineBench.cpp
)
# The whole plug-in playing the default song, as a multiple of real time.
list(APPEND GRUM_PLUGIN_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/PluginBench.cpp)
# Constructing the processor cold: the library index and the default kit decoded.
list(APPEND GRUM_PLUGIN_BENCH_SOURCES ${CMAKE_CURRENT_LIST_DIR}/StartUpBench.cpp)
