# What Glowdesk needs beside its programs on Windows, and where an installation puts
# it. There is no deployment tool for this cross build: the list is kept here, and the
# Windows stage of the tests checks it by starting the installed program.
#
# Beside the programs: the Qt DLLs, the platform plugins (windows; offscreen for the
# tests), the Windows style, and the compiler's runtime DLLs. In the build folder they
# are copied next to the programs and test programs (stripped: the runtime DLLs carry
# debug information), so that everything built there runs under Wine as installed.
set(deploy_files)  # "source|subfolder|name"
if(TARGET glowdesk)
    set(qt_parts Qt6::Core|. Qt6::Gui|. Qt6::Widgets|. Qt6::QWindowsIntegrationPlugin|platforms
                 Qt6::QOffscreenIntegrationPlugin|platforms Qt6::QWindowsVistaStylePlugin|styles)
    foreach(part ${qt_parts})
        string(REPLACE "|" ";" part "${part}")
        list(GET part 0 target)
        list(GET part 1 folder)
        list(APPEND deploy_files
             "$<TARGET_FILE:${target}>|${folder}|$<TARGET_FILE_NAME:${target}>")
    endforeach()
endif()
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "the compiler's ${runtime} was not found")
    endif()
    get_filename_component(path ${path} REALPATH)
    list(APPEND deploy_files "${path}|.|${runtime}")
endforeach()

set(deploy_commands)
set(deploy_outputs)
foreach(entry ${deploy_files})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 source)
    list(GET parts 1 folder)
    list(GET parts 2 name)
    list(APPEND deploy_commands COMMAND ${CMAKE_COMMAND} -E make_directory
         ${CMAKE_BINARY_DIR}/${folder} COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source}
         ${CMAKE_BINARY_DIR}/${folder})
    # The copies are installed: the runtime DLLs stripped.
    install(FILES ${CMAKE_BINARY_DIR}/${folder}/${name} DESTINATION ${folder})
endforeach()
add_custom_target(glowdesk_deploy ALL ${deploy_commands}
                  COMMAND ${CMAKE_STRIP} --strip-unneeded
                          ${CMAKE_BINARY_DIR}/libstdc++-6.dll ${CMAKE_BINARY_DIR}/libgcc_s_seh-1.dll
                          ${CMAKE_BINARY_DIR}/libwinpthread-1.dll
                  COMMENT "Copying the DLLs and plugins beside the programs" VERBATIM)
if(TARGET Qt6::Test)
    add_custom_command(TARGET glowdesk_deploy POST_BUILD
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::Test>
                               ${CMAKE_BINARY_DIR})
endif()

# The installation: one folder, the programs at its top as Windows programs are laid
# out, the example file and the licences beside them.
foreach(program glowdesk glowdesk-cli)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/examples/demo.ini DESTINATION examples)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# Qt is used under the LGPL as the DLLs above; its licence goes with them.
install(FILES ${CMAKE_SOURCE_DIR}/dist/windows/QT-LICENSE.txt DESTINATION .)
