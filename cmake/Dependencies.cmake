# Finds everything GRUM builds against and stops early, naming the Debian
# package to install, when something is missing. `make deps` installs them all.

function(grum_require found package what)
    if(NOT ${found})
        message(FATAL_ERROR
            "GRUM needs ${what}. Install it with:\n"
            "    sudo apt-get install ${package}\n"
            "(or run `make deps`, which installs every build dependency).")
    endif()
endfunction()

find_package(PkgConfig QUIET)
grum_require(PKG_CONFIG_FOUND pkg-config "pkg-config")

if(GRUM_ENGINE_ONLY)
    # The engine needs nothing but the compiler; only the test tools below.
else()
find_package(JUCE CONFIG QUIET)
grum_require(JUCE_FOUND juce-modules-source "the JUCE modules (7.0.5)")

# Debian strips JUCE's bundled codecs, so FLAC and Vorbis come from the system.
pkg_check_modules(GRUM_CODECS QUIET IMPORTED_TARGET flac vorbis vorbisfile vorbisenc ogg)
grum_require(GRUM_CODECS_FOUND "libflac-dev libvorbis-dev libogg-dev" "the FLAC, Vorbis and Ogg libraries")

# Debian's JUCE draws PNG and JPEG from the system too.
pkg_check_modules(GRUM_IMAGES QUIET libpng libjpeg)
grum_require(GRUM_IMAGES_FOUND "libpng-dev libjpeg-dev" "the PNG and JPEG libraries")

pkg_check_modules(GRUM_ALSA QUIET alsa)
grum_require(GRUM_ALSA_FOUND libasound2-dev "the ALSA headers")
pkg_check_modules(GRUM_FREETYPE QUIET freetype2)
grum_require(GRUM_FREETYPE_FOUND libfreetype-dev "the FreeType headers")
pkg_check_modules(GRUM_FONTCONFIG QUIET fontconfig)
grum_require(GRUM_FONTCONFIG_FOUND libfontconfig1-dev "the Fontconfig headers")

include(CheckIncludeFileCXX)
foreach(pair "X11/Xlib.h:libx11-dev" "X11/extensions/Xrandr.h:libxrandr-dev"
             "X11/extensions/Xinerama.h:libxinerama-dev" "X11/Xcursor/Xcursor.h:libxcursor-dev"
             "X11/extensions/shape.h:libxext-dev" "GL/gl.h:libgl-dev")
    string(REPLACE ":" ";" parts "${pair}")
    list(GET parts 0 header)
    list(GET parts 1 package)
    string(MAKE_C_IDENTIFIER "GRUM_HAVE_${header}" var)
    check_include_file_cxx("${header}" ${var})
    grum_require(${var} ${package} "the header ${header}")
endforeach()
endif()

if(GRUM_BUILD_TESTS)
    find_package(GTest QUIET)
    grum_require(GTest_FOUND libgtest-dev "GoogleTest")
endif()

if(GRUM_BUILD_BENCHMARKS)
    find_package(benchmark QUIET)
    grum_require(benchmark_FOUND libbenchmark-dev "Google Benchmark")
endif()
