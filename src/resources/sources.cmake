# The embedded sample library. The recordings are synthesised at build time by
# our own generator (tools/samplegen), so no audio lives in the repository; the
# generator's output is the same, byte for byte, on every run. The FLAC files
# are assembled into read-only data with their name table beside them.
if(NOT GRUM_ENGINE_ONLY)
    set(GRUM_SAMPLEGEN_DIR ${CMAKE_CURRENT_LIST_DIR}/../../tools/samplegen)
    add_executable(grum_samplegen
        ${GRUM_SAMPLEGEN_DIR}/main.cpp
        ${GRUM_SAMPLEGEN_DIR}/Library.cpp
        ${GRUM_SAMPLEGEN_DIR}/Voices.cpp
        ${GRUM_SAMPLEGEN_DIR}/Finish.cpp)
    target_compile_options(grum_samplegen PRIVATE ${GRUM_WARNING_FLAGS})
    # Optimised even in Debug builds: the library takes seconds, not minutes.
    target_compile_options(grum_samplegen PRIVATE -O2)
    target_link_libraries(grum_samplegen PRIVATE PkgConfig::GRUM_CODECS)

    set(GRUM_SAMPLES_DIR ${CMAKE_BINARY_DIR}/samples)
    add_custom_command(
        OUTPUT ${GRUM_SAMPLES_DIR}/SampleResources.cpp
        COMMAND ${CMAKE_COMMAND} -E make_directory ${GRUM_SAMPLES_DIR}
        COMMAND grum_samplegen ${GRUM_SAMPLES_DIR}
        DEPENDS grum_samplegen
        COMMENT "Synthesising the sample library"
        VERBATIM)

    add_library(grum_sample_resources STATIC
        ${GRUM_SAMPLES_DIR}/SampleResources.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SampleResourceLookup.cpp)
    target_include_directories(grum_sample_resources PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
    grum_strict_sources(${CMAKE_CURRENT_LIST_DIR}/SampleResourceLookup.cpp)
endif()
