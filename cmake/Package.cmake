# The Debian package: `cpack -G DEB` in a build folder makes vantrel_<version>_<arch>.deb from the
# install rules in data/. Everything in it follows Debian policy closely enough that lintian finds
# nothing to warn about (tests/install/check-deb.sh checks that).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR Quendale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show a coding agent the part of the screen you mean")
# CPack indents these lines for the control file but does not wrap them: keep them short.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "One hotkey captures a screenshot of the window under the pointer, or of an"
       "area you drag, together with a snapshot of the accessibility tree at that"
       "spot. Both go into a capture folder with two Markdown documents that explain"
       "them, and a paste-ready payload shaped for the chosen coding agent (Claude"
       "Code, Cursor, Codex) goes on the clipboard. The vantrel command runs the"
       "same captures from scripts. It works on X11 desktops and reads applications"
       "through AT-SPI.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # vantrel_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VANTREL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quendale.com/vantrel/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without the accessibility bus the app still captures pictures, but no trees.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS at-spi2-core)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The package takes the zsh completion where Debian's zsh looks for packaged ones (see data/). Only
# a component install leaves out a component, so it is one, with every component in one package.
set(CPACK_COMPONENTS_ALL vantrel zsh_vendor)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

include(CPack)
