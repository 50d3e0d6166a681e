# Install rules and the Debian packages (CPack), three from one build:
#   quillharbour        the teacher's computer: presenter, settings tool, lesson editor, help viewer,
#                       launcher, their menu entries and the templates of a class folder
#   quillharbour-child  a student computer: the child program, its menu and autostart entries, and
#                       the questions (debconf) whose answers become its settings in /etc/quillharbour
#   quillharbour-pages  the demo pages, which the sample lesson shows on the teacher's computer and
#                       the children show from the same folder on theirs
# Each install rule names its package by its component.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(QH_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/quillharbour)
set(QH_PACKAGES teacher child pages)
set(QH_PACKAGE_NAME_teacher quillharbour)
set(QH_PACKAGE_NAME_child quillharbour-child)
set(QH_PACKAGE_NAME_pages quillharbour-pages)

# The package version is the changelog's newest entry: the programs' version, and after a "+" the
# number of the packaging made of it (the programs show only their own version).
file(STRINGS changelog QH_CHANGELOG_HEAD LIMIT_COUNT 1)
if(QH_CHANGELOG_HEAD MATCHES "^quillharbour \\((${PROJECT_VERSION}(\\+[0-9]+)?)\\) ")
    set(QH_PACKAGE_VERSION ${CMAKE_MATCH_1})
else()
    message(AUTHOR_WARNING "packaging/changelog has no entry for version ${PROJECT_VERSION} at its top")
    set(QH_PACKAGE_VERSION ${PROJECT_VERSION})
endif()

# The programs, in bin/ together: the settings tool finds the help viewer beside itself, and the
# programs find their data files in ../share/quillharbour.
install(TARGETS Quillharbour_Master Quillharbour_Master_Tool Quillharbour_Lesson Quillharbour_Help
                Quillharbour_Launcher
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT teacher)
install(TARGETS Quillharbour_Child RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT child)

# The programs' data files and the templates of a class folder.
install(FILES ${PROJECT_SOURCE_DIR}/data/Quillharbour_Master.hlp ${PROJECT_SOURCE_DIR}/data/Quillharbour_Registry.txt
              ${PROJECT_SOURCE_DIR}/data/Quillharbour_Master.ini
        DESTINATION ${QH_DATA_DESTINATION} COMPONENT teacher)
install(FILES ${PROJECT_SOURCE_DIR}/data/Quillharbour_Child.ini DESTINATION ${QH_DATA_DESTINATION} COMPONENT child)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/pages DESTINATION ${QH_DATA_DESTINATION} COMPONENT pages)
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
    endif()"
    COMPONENT teacher)

# Menu entries, icons, manual pages, the software centres' description, and each package's
# documents. Every program has a manual page, those with a menu entry an icon; the child's go with
# the child, the others with the teacher's programs.
foreach(name ${QH_MAN_PAGES})
    set(component teacher)
    if(name STREQUAL Quillharbour_Child)
        set(component child)
    endif()
    if(name IN_LIST QH_ICON_NAMES)
        install(FILES desktop/${name}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ${component})
        foreach(size 16 32 48 64 128 256)
            install(FILES ${CMAKE_CURRENT_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${name}.png
                    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT ${component})
        endforeach()
    endif()
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
            COMPONENT ${component})
endforeach()
install(FILES metainfo/org.example.quillharbour.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT teacher)
foreach(package ${QH_PACKAGES})
    install(FILES copyright ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${QH_PACKAGE_NAME_${package}} COMPONENT ${package})
endforeach()

# On a student computer the child program starts at every login, once its settings are in
# /etc/quillharbour: an XDG autostart entry runs a wrapper that checks for them and starts the child
# again when it dies. The package's questions write those settings (debian/: the questions, the
# rules of their answers, and the scripts that ask them and write the files).
set(QH_CHILD_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}/Quillharbour_Child)
# Where the child program itself looks for the administrator's settings (child/childsettings.h).
set(QH_CHILD_SETTINGS /etc/quillharbour/Quillharbour_Child.ini)
set(QH_TEACHER_KEY /etc/quillharbour/Quillharbour_Teacher.pub)
set(QH_CHILD_SETTINGS_TEMPLATE ${CMAKE_INSTALL_FULL_DATADIR}/quillharbour/Quillharbour_Child.ini)
set(QH_CHILD_AUTOSTART ${CMAKE_INSTALL_FULL_LIBEXECDIR}/quillharbour/child-autostart)
configure_file(child-autostart.in ${CMAKE_CURRENT_BINARY_DIR}/child-autostart @ONLY)
configure_file(desktop/Quillharbour_Child-autostart.desktop.in
               ${CMAKE_CURRENT_BINARY_DIR}/autostart/Quillharbour_Child.desktop @ONLY)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/child-autostart DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillharbour
        COMPONENT child)
set(QH_AUTOSTART_DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/autostart/Quillharbour_Child.desktop DESTINATION ${QH_AUTOSTART_DESTINATION}
        COMPONENT child)

# The questions' port defaults are the child template's ports, which the teacher's template has too.
foreach(port ChildPort MasterPort)
    file(STRINGS ${PROJECT_SOURCE_DIR}/data/Quillharbour_Child.ini line REGEX "^${port}=[0-9]+")
    string(REGEX MATCH "[0-9]+" QH_${port}_DEFAULT "${line}")
endforeach()
set(QH_CHILD_PORT_DEFAULT ${QH_ChildPort_DEFAULT})
set(QH_MASTER_PORT_DEFAULT ${QH_MasterPort_DEFAULT})
file(READ debian/child-answers.sh QH_CHILD_ANSWERS)
set(QH_CHILD_CONTROL ${CMAKE_CURRENT_BINARY_DIR}/control/child)
configure_file(debian/child.templates.in ${QH_CHILD_CONTROL}/templates @ONLY)
foreach(script config postinst postrm)
    configure_file(debian/child.${script}.in ${QH_CHILD_CONTROL}/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                    WORLD_EXECUTE)
endforeach()
# A file the package puts in /etc is the administrator's: dpkg keeps changes to it and purge removes it.
file(WRITE ${QH_CHILD_CONTROL}/conffiles "${QH_AUTOSTART_DESTINATION}/Quillharbour_Child.desktop\n")
set(CPACK_DEBIAN_CHILD_PACKAGE_CONTROL_EXTRA
    ${QH_CHILD_CONTROL}/templates ${QH_CHILD_CONTROL}/config ${QH_CHILD_CONTROL}/postinst
    ${QH_CHILD_CONTROL}/postrm ${QH_CHILD_CONTROL}/conffiles)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${QH_PACKAGES})
set(CPACK_PACKAGE_NAME quillharbour)
set(CPACK_PACKAGE_VERSION ${QH_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillharbour developers")
set(QH_PACKAGE_MAINTAINER "Quillharbour developers <quillharbour@example.org>" CACHE STRING
    "The Maintainer field of the Debian packages")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QH_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SOURCE quillharbour)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
foreach(package ${QH_PACKAGES})
    string(TOUPPER ${package} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${QH_PACKAGE_NAME_${package}})
    set(CPACK_DEBIAN_${upper}_FILE_NAME DEB-DEFAULT)
endforeach()
# Lines of the descriptions stay under 80 characters, as Debian's tools show them; the first line
# is the summary.
set(CPACK_DEBIAN_TEACHER_DESCRIPTION
    "classroom presenter that shows web pages on student computers
Quillharbour lets a teacher's computer step through a list of web pages
and makes up to 30 student computers show the same pages. The presenter
keeps a small bar above all windows and drives a browser window; the
settings tool edits its configuration, and the lesson editor prepares and
checks the URL lists. Menu entries start them in the class folder
~/Quillharbour, made with sample settings and demo pages on the first start.
The student computers install quillharbour-child.")
set(CPACK_DEBIAN_CHILD_DESCRIPTION
    "student computer side of the Quillharbour classroom presenter
Quillharbour_Child runs on each student computer: it shows the web pages
that the teacher's presenter (package quillharbour) sends, and lets the
student call the teacher. The package asks for the teacher's computer, this
computer's number, the ports and the teacher's public key, each of which can
be answered in advance (preseeding), writes the answers to /etc/quillharbour,
and then starts the child program at every login.")
set(CPACK_DEBIAN_PAGES_DESCRIPTION
    "demo pages of the Quillharbour classroom presenter
The pages of the sample lesson that the teacher's presenter shows on its
first start. The teacher's computer and the student computers hold them in
the same folder, so that the children show them as the teacher does.")
set(CPACK_DEBIAN_PAGES_PACKAGE_ARCHITECTURE all)
# The libraries (and Qt WebEngine's helper process) come from the binaries through dpkg-shlibdeps.
# Beyond them the Japanese captions need a CJK font. Recommended for the teacher's programs, as they
# run without them: HardInfo, which the About box starts as system information (without it the box
# says that it is unavailable), and Qt's Wayland platform, with which the settings tool and the help
# viewer run natively on a Wayland session instead of through XWayland. The child's questions need
# debconf, and its settings file ucf.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(QH_PAGES_DEPENDENCY "quillharbour-pages (= ${QH_PACKAGE_VERSION})")
# libsodium signs and checks the datagrams of the teacher's key; dpkg-shlibdeps finds it as well.
set(CPACK_DEBIAN_TEACHER_PACKAGE_DEPENDS "fonts-noto-cjk, libsodium23, ${QH_PAGES_DEPENDENCY}")
set(CPACK_DEBIAN_TEACHER_PACKAGE_RECOMMENDS "hardinfo, qt6-wayland")
set(CPACK_DEBIAN_CHILD_PACKAGE_DEPENDS "fonts-noto-cjk, libsodium23, ${QH_PAGES_DEPENDENCY}, debconf (>= 0.5) | debconf-2.0, ucf")
# Up to 1.1.0 one package quillharbour held everything: the child's files and the pages moved out of
# it with 1.1.0+1.
set(QH_SPLIT_FROM "quillharbour (<< 1.1.0+1)")
foreach(upper CHILD PAGES)
    set(CPACK_DEBIAN_${upper}_PACKAGE_BREAKS ${QH_SPLIT_FROM})
    set(CPACK_DEBIAN_${upper}_PACKAGE_REPLACES ${QH_SPLIT_FROM})
endforeach()
include(CPack)
