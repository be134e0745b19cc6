cmake_minimum_required(VERSION 3.25)
# Fails when a file under SRC includes a header of a folder its layer may not use, or when a core file
# includes a Qt header. Each layer uses only the ones below it; see docs/ARCHITECTURE.md.
#
#   app                               everything
#   <subsystem>/ui                    widgets, companion, settings, session, subsystems, shell, device, image, base
#   widgets                           settings, session, subsystems, shell, device, image, base
#   settings, companion, rgb          session, subsystems, shell, device, image, base
#   session                           subsystems, shell, device, image, base
#   buttons < performance < lighting < macros < fire < engineering
#                                     each: the subsystems before it, shell, device, image, base,
#                                     and the edit vocabulary (session/Edit*.h, which itself uses
#                                     image and base only)
#   shell                             device, image, base
#   device                            image, base
#   image                             base
#   base                              nothing but itself

set(subsystems buttons performance lighting macros fire engineering)
set(allowed_base base)
set(allowed_image base image)
set(allowed_device base image device)
set(allowed_shell base image device shell)
set(below_subsystems base image device shell)
foreach(sub IN LISTS subsystems)
    set(allowed_${sub} ${below_subsystems} ${sub})
    list(APPEND below_subsystems ${sub})
endforeach()
set(allowed_session ${below_subsystems} session)
set(allowed_settings ${below_subsystems} session settings)
set(allowed_companion ${below_subsystems} session companion)
set(allowed_rgb ${below_subsystems} session rgb)
set(allowed_widgets ${below_subsystems} session settings widgets)
set(qt_free base image device shell session settings ${subsystems} companion rgb)

file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*.h ${SRC}/*.hpp ${SRC}/*.cpp ${SRC}/*.cc)
set(offenders "")
foreach(f IN LISTS files)
    string(REGEX MATCH "^[^/]+" top "${f}")
    set(layer "${top}")
    if(f MATCHES "^[^/]+/ui/")
        set(layer ui)
    endif()
    if(layer STREQUAL "app")
        continue()
    endif()
    file(STRINGS "${SRC}/${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
        if(line MATCHES "[<\"](Q[A-Za-z]+|Qt[A-Za-z]*/[^>\"]*)[>\"]")
            if(layer IN_LIST qt_free)
                list(APPEND offenders "${f}: Qt header in the core: ${line}")
            endif()
            continue()
        endif()
        if(NOT line MATCHES "\"([a-z]+)(/ui)?/[^\"]+\"")
            continue()
        endif()
        set(target "${CMAKE_MATCH_1}")
        if(CMAKE_MATCH_2)
            set(target "${target}/ui")
        endif()
        if(NOT EXISTS "${SRC}/${target}")
            continue() # not a folder of ours (e.g. "support/..." in tests)
        endif()
        if(layer STREQUAL "ui")
            # A page uses everything below the app but other pages and the app itself.
            if(target MATCHES "/ui$" AND NOT target STREQUAL "${top}/ui")
                list(APPEND offenders "${f}: a page includes another page: ${line}")
            elseif(target STREQUAL "app")
                list(APPEND offenders "${f}: a page includes the app: ${line}")
            endif()
            continue()
        endif()
        if(target STREQUAL "session" AND layer IN_LIST subsystems AND line MATCHES "\"session/Edit[A-Za-z]*\\.h\"")
            continue() # the edit vocabulary the editors speak
        endif()
        if(f MATCHES "^session/Edit[A-Za-z]*\\.h$" AND NOT target MATCHES "^(base|image|session)$")
            list(APPEND offenders "${f}: the edit vocabulary may use image and base only: ${line}")
        elseif(target MATCHES "/ui$" OR NOT DEFINED allowed_${layer})
            list(APPEND offenders "${f}: ${layer} may not use ${target}: ${line}")
        elseif(NOT target IN_LIST allowed_${layer})
            list(APPEND offenders "${f}: ${layer} may not use ${target}: ${line}")
        endif()
    endforeach()
endforeach()
if(offenders)
    string(REPLACE ";" "\n  " text "${offenders}")
    message(FATAL_ERROR "Layer violations:\n  ${text}")
endif()
message(STATUS "every include points down")
