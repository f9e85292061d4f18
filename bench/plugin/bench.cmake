# The processor's block loop with the framework.
list(APPEND GRUM_PLUGIN_BENCH_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SpineBench.cpp
)
