# Desktop integration: what `cmake --install` puts in place (the programs, the
# menu entry, the icon, the .flm file type, the manual pages) and the Debian
# package that `cpack -G DEB` makes of it.

include(GNUInstallDirs)

install(TARGETS plexo-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(PLEXO_GUI)
  # The viewer starts plexo-guard from its own folder.
  install(TARGETS plexo plexo-guard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The PNG sizes come from the same drawing as the window's icon.
  add_executable(make_icon_pngs src/app/window/icon/make_icon_pngs.cpp)
  target_link_libraries(make_icon_pngs PRIVATE plexo_app)
  set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
  set(icon_sizes 16 24 32 48 64 128 256)
  set(icon_pngs)
  foreach(side IN LISTS icon_sizes)
    list(APPEND icon_pngs ${icon_dir}/plexo-${side}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${icon_pngs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:make_icon_pngs> ${icon_dir}
    DEPENDS make_icon_pngs
    COMMENT "Drawing the icon's PNG sizes")
  add_custom_target(plexo_icons ALL DEPENDS ${icon_pngs})

  set(icons_root ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  foreach(side IN LISTS icon_sizes)
    install(FILES ${icon_dir}/plexo-${side}.png DESTINATION ${icons_root}/${side}x${side}/apps RENAME plexo.png)
  endforeach()
  install(FILES res/plexo.svg DESTINATION ${icons_root}/scalable/apps)

  # The MIME file and the menu entry's MIME list come from the table of file
  # formats, so a new format reaches the desktop without an edit here.
  add_executable(make_desktop_files src/tool/desktop/make_desktop_files.cpp)
  target_link_libraries(make_desktop_files PRIVATE plexo_video plexo_film)
  set(desktop_dir ${CMAKE_CURRENT_BINARY_DIR}/desktop)
  add_custom_command(
    OUTPUT ${desktop_dir}/plexo.desktop ${desktop_dir}/plexo-mime.xml
    COMMAND ${CMAKE_COMMAND} -E make_directory ${desktop_dir}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:make_desktop_files> ${CMAKE_CURRENT_SOURCE_DIR}/res/plexo.desktop.in ${desktop_dir}
    DEPENDS make_desktop_files res/plexo.desktop.in
    COMMENT "Writing the desktop entry and the MIME file from the table of file formats")
  add_custom_target(plexo_desktop_files ALL DEPENDS ${desktop_dir}/plexo.desktop ${desktop_dir}/plexo-mime.xml)
  install(FILES ${desktop_dir}/plexo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${desktop_dir}/plexo-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME plexo.xml)
endif()

# Manual pages and the changelog are installed compressed, as Debian's
# policy asks; -n keeps the build's time out of the bytes.
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(page plexo plexo-tool plexo-guard)
  configure_file(docs/man/${page}.1 ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1 @ONLY)
  list(APPEND compressed man/${page}.1)
endforeach()
configure_file(res/debian/changelog ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog COPYONLY)
list(APPEND compressed doc/changelog)
set(compressed_files)
foreach(file ${compressed})
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz
                     COMMAND ${GZIP} -9nf --keep ${CMAKE_CURRENT_BINARY_DIR}/${file}
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${file})
  list(APPEND compressed_files ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz)
endforeach()
add_custom_target(plexo_compressed_docs ALL DEPENDS ${compressed_files})
foreach(page plexo plexo-tool plexo-guard)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog.gz res/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/plexo)

set(CPACK_PACKAGE_NAME plexo)
set(CPACK_PACKAGE_VENDOR "Plexo")
set(CPACK_PACKAGE_CONTACT "Plexo developers <plexo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer and converter for stereo films")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Plexo shows stereo films made of numbered BMP or JPEG files or one .flm
file: the current frame beside a partner frame a few frames away, as
red-blue anaglyphs, line-interlaced or page-flipped for shutter glasses.
It plays, bounces, loops and steps, and converts between the storage forms.
plexo-tool runs the same core from scripts.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY plexo)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon cache, the menu and the file types are refreshed by the triggers of
# hicolor-icon-theme, desktop-file-utils and shared-mime-info.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
# The registry file is the machine's to edit: an upgrade keeps a changed one.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/deb/conffiles "/etc/plexo/registry.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/deb/conffiles)
include(CPack)

if(PLEXO_TESTS AND PLEXO_GUI)
  add_test(NAME desktop_install COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/install_test.sh
           ${CMAKE_CURRENT_BINARY_DIR})
endif()
