# The window's icons for the Windows build, which has no Qt Svg: each SVG of res/icons
# rendered once as a PNG picture (scaled by the window to the size it shows), in a
# resource file of their own; and the program's icon for Explorer and the Start menu,
# an ICO file compiled into glowdesk.exe. Both are made on the build machine with
# rsvg-convert (librsvg2-bin) and icotool (icoutils).
#
# Sets GLOWDESK_PNG_QRC (the resource file) and GLOWDESK_APP_RC (the resource script).
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
enable_language(RC)

set(icon_dir ${CMAKE_BINARY_DIR}/png-icons)
file(GLOB svg_icons CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/icons/*.svg)
set(png_icons)
set(qrc_entries)
foreach(svg ${svg_icons})
    get_filename_component(name ${svg} NAME_WE)
    set(png ${icon_dir}/icons/${name}.png)
    # 128 px is above every size the window shows at a device pixel ratio of 2.
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}/icons
                       COMMAND ${RSVG_CONVERT} -w 128 -h 128 -o ${png} ${svg}
                       DEPENDS ${svg} VERBATIM)
    list(APPEND png_icons ${png})
    string(APPEND qrc_entries "    <file>icons/${name}.png</file>\n")
endforeach()
set(GLOWDESK_PNG_QRC ${icon_dir}/glowdesk.qrc)
file(WRITE ${GLOWDESK_PNG_QRC}.in
     "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n${qrc_entries}</qresource>\n</RCC>\n")
configure_file(${GLOWDESK_PNG_QRC}.in ${GLOWDESK_PNG_QRC} COPYONLY)

# The application icon (IDR_MAINFRAME) at the sizes Windows asks for.
set(app_svg ${CMAKE_SOURCE_DIR}/res/icons/128.svg)
set(app_pngs)
foreach(size 16 24 32 48 256)
    set(png ${icon_dir}/app-${size}.png)
    add_custom_command(OUTPUT ${png} COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${app_svg}
                       DEPENDS ${app_svg} VERBATIM)
    list(APPEND app_pngs ${png})
endforeach()
set(app_ico ${icon_dir}/glowdesk.ico)
add_custom_command(OUTPUT ${app_ico} COMMAND ${ICOTOOL} -c -o ${app_ico} ${app_pngs}
                   DEPENDS ${app_pngs} VERBATIM)
set(GLOWDESK_APP_RC ${icon_dir}/glowdesk.rc)
file(WRITE ${GLOWDESK_APP_RC}.in "IDR_MAINFRAME ICON \"${app_ico}\"\n")
configure_file(${GLOWDESK_APP_RC}.in ${GLOWDESK_APP_RC} COPYONLY)
set_source_files_properties(${GLOWDESK_APP_RC} PROPERTIES OBJECT_DEPENDS ${app_ico})

# The pictures exist before the resource compiler reads the resource file.
add_custom_target(glowdesk_png_icons DEPENDS ${png_icons} ${app_ico})
