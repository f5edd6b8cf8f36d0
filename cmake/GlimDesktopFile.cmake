# Run when installing: writes the desktop file for the program installed in
# CMAKE_INSTALL_PREFIX and installs it in share/applications. Takes
# GLIM_DESKTOP_TEMPLATE, GLIM_DESKTOP_MIME_TYPES and GLIM_DESKTOP_WORK (a
# folder of the build tree, where installs to different places, perhaps at
# the same time, each write their own copy).

set(_exec "${CMAKE_INSTALL_PREFIX}/bin/glim")
if(_exec MATCHES "[\n\r]")
	message(FATAL_ERROR "A desktop file cannot name a program whose path has a line break: ${_exec}")
endif()
# A path with characters other than these is quoted as an argument of the
# Exec key, and then escaped as a desktop-file string (backslashes doubled).
if(NOT _exec MATCHES "^[-A-Za-z0-9_./+]+$")
	string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" _exec "${_exec}")
	set(_exec "\"${_exec}\"")
	string(REPLACE "\\" "\\\\" _exec "${_exec}")
endif()
string(REPLACE "%" "%%" GLIM_DESKTOP_EXEC "${_exec}")

string(MD5 _place "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(_output "${GLIM_DESKTOP_WORK}/${_place}/glim.desktop")
configure_file(${GLIM_DESKTOP_TEMPLATE} ${_output} @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
	FILES ${_output})
