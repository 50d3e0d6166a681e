# Install rules and the Debian package (CPack). Everything the child program needs is installed
# only once its target and files exist, so that the package builds with or without it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(QH_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/quillharbour)
set(QH_HAVE_CHILD FALSE)
if(TARGET Quillharbour_Child)
    set(QH_HAVE_CHILD TRUE)
endif()

# The programs, in bin/ together: the settings tool finds the help viewer beside itself, and the
# programs find their data files in ../share/quillharbour.
set(QH_PROGRAMS Quillharbour_Master Quillharbour_Master_Tool Quillharbour_Lesson Quillharbour_Help Quillharbour_Launcher)
if(QH_HAVE_CHILD)
    list(APPEND QH_PROGRAMS Quillharbour_Child)
endif()
install(TARGETS ${QH_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The programs' data files and the templates of a class folder.
install(FILES ${PROJECT_SOURCE_DIR}/data/Quillharbour_Master.hlp ${PROJECT_SOURCE_DIR}/data/Quillharbour_Registry.txt
              ${PROJECT_SOURCE_DIR}/data/Quillharbour_Master.ini
        DESTINATION ${QH_DATA_DESTINATION})
if(QH_HAVE_CHILD AND EXISTS ${PROJECT_SOURCE_DIR}/data/Quillharbour_Child.ini)
    install(FILES ${PROJECT_SOURCE_DIR}/data/Quillharbour_Child.ini DESTINATION ${QH_DATA_DESTINATION})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/pages DESTINATION ${QH_DATA_DESTINATION})
# The sample URL list names the demo pages by their absolute installed place, known only now.
install(CODE "
    set(qh_data_dir \"\${CMAKE_INSTALL_PREFIX}/${QH_DATA_DESTINATION}\")
    message(STATUS \"Writing: \$ENV{DESTDIR}\${qh_data_dir}/weblist.txt\")
    execute_process(COMMAND \"${CMAKE_COMMAND}\" -DTEMPLATE=${QH_URL_LIST_TEMPLATE} \"-DDEMO_DIR=\${qh_data_dir}\"
                            \"-DOUTPUT=\$ENV{DESTDIR}\${qh_data_dir}/weblist.txt\"
                            -P ${CMAKE_CURRENT_SOURCE_DIR}/MakeUrlList.cmake
                    RESULT_VARIABLE qh_result)
    if(NOT qh_result EQUAL 0)
        message(FATAL_ERROR \"The sample URL list could not be written\")
    endif()")

# Menu entries, icons, manual pages, and the package's documents.
set(QH_MENU_ENTRIES desktop/Quillharbour_Master.desktop desktop/Quillharbour_Master_Tool.desktop
                     desktop/Quillharbour_Lesson.desktop)
if(QH_HAVE_CHILD)
    list(APPEND QH_MENU_ENTRIES desktop/Quillharbour_Child.desktop)
endif()
install(FILES ${QH_MENU_ENTRIES} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
foreach(page ${QH_MAN_PAGES})
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(QH_DOC_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillharbour)
install(FILES copyright ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog.gz DESTINATION ${QH_DOC_DESTINATION})

# On a student computer the child program starts at every login, once the administrator has put the
# computer's settings in /etc/quillharbour: an XDG autostart entry runs a wrapper that checks for
# them and starts the child again when it dies.
if(QH_HAVE_CHILD)
    set(QH_CHILD_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/Quillharbour_Child)
    # Where the child program itself looks for the administrator's settings (child/childsettings.h).
    set(QH_CHILD_SETTINGS /etc/quillharbour/Quillharbour_Child.ini)
    set(QH_CHILD_AUTOSTART ${CMAKE_INSTALL_FULL_LIBEXECDIR}/quillharbour/child-autostart)
    configure_file(child-autostart.in ${CMAKE_CURRENT_BINARY_DIR}/child-autostart @ONLY)
    configure_file(desktop/Quillharbour_Child-autostart.desktop.in
                   ${CMAKE_CURRENT_BINARY_DIR}/autostart/Quillharbour_Child.desktop @ONLY)
    install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/child-autostart DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillharbour)
    set(QH_AUTOSTART_DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/autostart/Quillharbour_Child.desktop DESTINATION ${QH_AUTOSTART_DESTINATION})
    # A file in /etc is the administrator's: dpkg keeps changes to it and purge removes it.
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/control/conffiles "${QH_AUTOSTART_DESTINATION}/Quillharbour_Child.desktop\n")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/control/conffiles)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillharbour)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillharbour developers")
set(QH_PACKAGE_MAINTAINER "Quillharbour developers <quillharbour@example.org>" CACHE STRING
    "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QH_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "classroom presenter that shows web pages on student computers")
# Lines of the description stay under 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Quillharbour lets a teacher's computer step through a list of web pages
and makes up to 30 student computers show the same pages. The presenter
keeps a small bar above all windows and drives a browser window; the
settings tool edits its configuration, and the lesson editor prepares and
checks the URL lists. Menu entries start them in the class folder
~/Quillharbour, made with sample settings and demo pages on the first start.")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries (and Qt WebEngine's helper process) come from the binaries through dpkg-shlibdeps.
# Beyond them the Japanese captions need a CJK font. Recommended, as the programs run without them:
# HardInfo, which the About box starts as system information (without it the box says that it is
# unavailable), and Qt's Wayland platform, with which the settings tool and the help viewer run
# natively on a Wayland session instead of through XWayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libsodium signs and checks the datagrams of the teacher's key; dpkg-shlibdeps finds it as well.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, libsodium23")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hardinfo, qt6-wayland")
include(CPack)
