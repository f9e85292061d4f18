# Warnings are errors in our own code, never in the framework's: JUCE's module
# sources are compiled inside our targets, so the flags go on our source files
# only, not on the targets.
set(GRUM_WARNING_FLAGS -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wpedantic -Wno-unused-parameter -Werror)

function(grum_strict_sources)
    foreach(source IN LISTS ARGN)
        set_property(SOURCE ${source} APPEND PROPERTY COMPILE_OPTIONS ${GRUM_WARNING_FLAGS})
    endforeach()
endfunction()

# With the sanitizers GCC reports maybe-uninitialized inside the standard
# library's own headers (std::regex, std::function): not our code to fix.
if(GRUM_SANITIZE)
    list(APPEND GRUM_WARNING_FLAGS -Wno-maybe-uninitialized)
endif()
