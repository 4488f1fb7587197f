# Fails when a file includes a project header from a layer above its own. The layers,
# lowest first (ARCHITECTURE.md says why in this order); a folder may include its own
# headers and those of any layer below it. The window (qt) and the command line (cli)
# share the top: both may use app/ and below, neither the other, and nothing uses them.
set(layers base programs protocol serial about app top)

# The layer of a path relative to the root: */qt/ folders form the top layer.
function(layer_of path out)
    if(path MATCHES "(^|/)qt/")
        set(${out} qt PARENT_SCOPE)
        return()
    endif()
    string(REGEX MATCH "^[^/]+" top "${path}")
    set(${out} ${top} PARENT_SCOPE)
endfunction()

# The rank of a layer in the list above; the front ends rank as the top.
function(rank_of layer out)
    if(layer STREQUAL "qt" OR layer STREQUAL "cli")
        set(layer top)
    endif()
    list(FIND layers ${layer} rank)
    set(${out} ${rank} PARENT_SCOPE)
endfunction()

set(bad "")
foreach(dir base programs protocol serial about app cli)
    file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${dir}/*.h ${ROOT}/${dir}/*.cpp)
    foreach(f ${files})
        layer_of("${f}" own)
        rank_of(${own} own_rank)
        file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${lines})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" inc "${line}")
            layer_of("${inc}" other)
            rank_of(${other} other_rank)
            if(other_rank GREATER own_rank OR
               (other_rank EQUAL own_rank AND NOT other STREQUAL own))
                list(APPEND bad "${f} (${own}) includes ${inc} (${other})")
            endif()
        endforeach()
    endforeach()
endforeach()
if(bad)
    list(JOIN bad "\n" text)
    message(FATAL_ERROR "Includes from a layer above:\n${text}")
endif()
message(STATUS "every include points to the same layer or one below")
