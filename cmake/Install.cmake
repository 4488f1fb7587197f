# Where an installed Glowdesk puts its files, laid out as desktop programs are on
# Linux: programs in bin/, the desktop entry, icons and AppStream data where menus and
# software centres look for them, compressed manual pages, and the documentation.
include(GNUInstallDirs)

set(GLOWDESK_APP_ID org.glowdesk.Glowdesk)
set(GLOWDESK_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/glowdesk)
# Directories made by the installation are 0755 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(TARGET glowdesk)
    install(TARGETS glowdesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET glowdesk-cli)
    install(TARGETS glowdesk-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET glowdesk_sim)
    # Installed under a dashed name like the other programs; install(TARGETS) cannot
    # rename, so the copy is stripped here when an install asks for stripping.
    install(PROGRAMS $<TARGET_FILE:glowdesk_sim> DESTINATION ${CMAKE_INSTALL_BINDIR}
            RENAME glowdesk-sim)
    if(CMAKE_STRIP)
        install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/glowdesk-sim\")
endif()")
    endif()
endif()

if(UNIX AND NOT APPLE)
    install(FILES ${CMAKE_SOURCE_DIR}/dist/${GLOWDESK_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CMAKE_SOURCE_DIR}/dist/${GLOWDESK_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # The window's own icon (IDR_MAINFRAME) is the application icon in menus.
    set(app_icon ${CMAKE_SOURCE_DIR}/res/icons/128.svg)
    install(FILES ${app_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME ${GLOWDESK_APP_ID}.svg)
    find_program(RSVG_CONVERT rsvg-convert)
    if(RSVG_CONVERT)
        set(icon_pngs)
        foreach(size 48 256)
            set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${GLOWDESK_APP_ID}.png)
            add_custom_command(OUTPUT ${png}
                               COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${app_icon}
                               DEPENDS ${app_icon}
                               COMMENT "Rendering the ${size} px application icon" VERBATIM)
            install(FILES ${png}
                    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
            list(APPEND icon_pngs ${png})
        endforeach()
        add_custom_target(glowdesk_icons ALL DEPENDS ${icon_pngs})
    else()
        message(STATUS "rsvg-convert not found (librsvg2-bin): only the SVG icon is installed")
    endif()

    # Manual pages and the changelog are installed compressed, as Debian wants them.
    find_program(GZIP gzip)
    set(man_pages ${CMAKE_SOURCE_DIR}/doc/glowdesk.1 ${CMAKE_SOURCE_DIR}/doc/glowdesk-sim.1)
    if(EXISTS ${CMAKE_SOURCE_DIR}/doc/glowdesk-cli.1)
        list(APPEND man_pages ${CMAKE_SOURCE_DIR}/doc/glowdesk-cli.1)
    endif()
    set(compressed)
    foreach(src ${man_pages} ${CMAKE_SOURCE_DIR}/dist/changelog)
        get_filename_component(name ${src} NAME)
        set(copy ${CMAKE_BINARY_DIR}/dist/${name})
        if(GZIP)
            # -n leaves out name and time stamp, so the package is reproducible.
            add_custom_command(OUTPUT ${copy}.gz
                               COMMAND ${CMAKE_COMMAND} -E copy ${src} ${copy}
                               COMMAND ${GZIP} -9nf ${copy}
                               DEPENDS ${src} VERBATIM)
            list(APPEND compressed ${copy}.gz)
            set(installed_${name} ${copy}.gz)
        else()
            set(installed_${name} ${src})
        endif()
    endforeach()
    if(compressed)
        add_custom_target(glowdesk_compressed_docs ALL DEPENDS ${compressed})
    endif()
    foreach(src ${man_pages})
        get_filename_component(name ${src} NAME)
        install(FILES ${installed_${name}} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    install(FILES ${installed_changelog} DESTINATION ${GLOWDESK_DOCDIR})
    install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright DESTINATION ${GLOWDESK_DOCDIR})
    install(FILES ${CMAKE_SOURCE_DIR}/examples/demo.ini DESTINATION ${GLOWDESK_DOCDIR}/examples)
endif()
