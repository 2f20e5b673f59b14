# What `cmake --install` adds for an installed player (GNUInstallDirs): the program beside the
# command-line tools in bin, its demo track with the skins and pictures under share/varo (the
# player looks there, at ../share/varo from its own folder), a desktop entry for audio and
# playlist files, and the MIME type of the player's own ".vrl" playlists. The tools install
# themselves, and the skin art installs the skins, pictures and theme icons.
set(VARO_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/varo)

if(TARGET varo)
  install(TARGETS varo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/data/demo/varo-demo.mp3 ${PROJECT_SOURCE_DIR}/data/demo/varo-demo.txt
          DESTINATION ${VARO_INSTALL_DATA_DIR}/demo)
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/varo.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/varo-playlist.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME varo.xml)
endif()
