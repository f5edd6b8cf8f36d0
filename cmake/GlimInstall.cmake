# Installing the viewer for the desktop, under any prefix, and the Debian
# package made from that installation.
#
#   cmake --install build --prefix ~/.local
#   (cd build && cpack -G DEB)
#
# Paths under the prefix are fixed (bin, share/...): the program finds its
# help page at ../share/doc/glim from its own folder.

if(NOT TARGET glim)
	return()
endif()

# The one version: the project's, which also goes into the resource
# archive's version record that the About window shows.
target_compile_definitions(glim PRIVATE GLIM_VERSION="${PROJECT_VERSION}")

install(TARGETS glim DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/resources/index.htm DESTINATION share/doc/glim)

foreach(_size ${GLIM_ICON_SIZES})
	install(FILES ${PROJECT_BINARY_DIR}/resources/glim-${_size}.png
		DESTINATION share/icons/hicolor/${_size}x${_size}/apps RENAME glim.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/glim.svg
	DESTINATION share/icons/hicolor/scalable/apps)

configure_file(${PROJECT_SOURCE_DIR}/resources/glim.1.in
	${PROJECT_BINARY_DIR}/resources/glim.1 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/resources/glim.1 DESTINATION share/man/man1)

# The desktop file names the installed program by its full path, so that the
# desktop starts it whether or not the prefix's bin is on its PATH. The
# prefix is known only when installing ("cmake --install --prefix").
install(CODE "
	set(GLIM_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/resources/glim.desktop.in\")
	set(GLIM_DESKTOP_MIME_TYPES \"${GLIM_DESKTOP_MIME_TYPES}\")
	set(GLIM_DESKTOP_WORK \"${PROJECT_BINARY_DIR}/resources/installed\")
	include(\"${CMAKE_CURRENT_LIST_DIR}/GlimDesktopFile.cmake\")
")

# The Debian package: installs to /usr, its library dependencies found by
# dpkg-shlibdeps from what the program links. The desktop's own triggers
# refresh the menus and icon caches when it is installed or removed.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glim)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Glim maintainers <maintainers@users.noreply.c-seed-f85e774e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image viewer and image-folder browser")
set(CPACK_PACKAGE_DESCRIPTION "Glim shows one folder per window: a tree of folders beside a \
scrolling grid of thumbnails, or one image filling the window, with zoom, panning, a \
selection and a slide show. Thumbnails are stored with each image as extended attributes. \
Any image can be saved, whole or cropped, in any format the installed codecs write.")
# The install scripts see the final prefix (/usr) and install under DESTDIR,
# not into a staging prefix, so the desktop file names /usr/bin/glim.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds the codecs of TIFF, WebP and the other formats the desktop file
# offers, and the desktop's look, through plug-ins, which no linker records;
# xdg-open shows the help page.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-gtk-platformtheme, xdg-utils")
include(CPack)
