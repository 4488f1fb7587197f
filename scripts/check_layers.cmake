# Fails when a file includes a project header from a layer above its own. The layers,
# lowest first (ARCHITECTURE.md says why in this order); a folder may include its own
# headers and those of any layer below it.
#
# - res/ holds resources only and includes nothing of the program.
# - The */qt/ folders sit above the whole core, ordered among themselves as their core
#   folders are: base/qt (Qt helpers), about/qt (the about box), then app/qt (the
#   window). The window (app/qt) and the command line (cli) share the top: neither
#   includes the other, and nothing includes them.
# - A platform folder (posix/, win32/) is reached only from its own folder: the others
#   take its parts through the interfaces beside it.
set(layers res base programs protocol serial about app base/qt about/qt app/qt)

# The layer of a path relative to the root: the top folder, or "<top>/qt" for a qt
# folder; cli ranks with app/qt.
function(layer_of path out)
    string(REGEX MATCH "^[^/]+" top "${path}")
    if(path MATCHES "^[^/]+/(.*/)?qt/")
        set(${out} ${top}/qt PARENT_SCOPE)
        return()
    endif()
    set(${out} ${top} PARENT_SCOPE)
endfunction()

function(rank_of layer out)
    if(layer STREQUAL "cli")
        set(layer app/qt)
    endif()
    list(FIND layers ${layer} rank)
    set(${out} ${rank} PARENT_SCOPE)
endfunction()

set(bad "")
foreach(dir res base programs protocol serial about app cli)
    file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${dir}/*.h ${ROOT}/${dir}/*.cpp)
    foreach(f ${files})
        layer_of("${f}" own)
        rank_of(${own} own_rank)
        string(REGEX MATCH "^[^/]+" own_top "${f}")
        file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" inc "${line}")
            layer_of("${inc}" other)
            rank_of(${other} other_rank)
            string(REGEX MATCH "^[^/]+" other_top "${inc}")
            if(other_rank GREATER own_rank OR
               (other_rank EQUAL own_rank AND NOT other STREQUAL own))
                list(APPEND bad "${f} (${own}) includes ${inc} (${other})")
            elseif(inc MATCHES "/(posix|win32)/" AND NOT other_top STREQUAL own_top)
                list(APPEND bad "${f} (${own}) includes ${inc} (a platform folder of ${other})")
            endif()
        endforeach()
    endforeach()
endforeach()
if(bad)
    list(JOIN bad "\n" text)
    message(FATAL_ERROR "Includes from a layer above:\n${text}")
endif()
message(STATUS "every include points to the same layer or one below")
