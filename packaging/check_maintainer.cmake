# Run by cpack: a package names a real maintainer, never an empty one.
if(NOT CPACK_PACKAGE_CONTACT MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$")
    message(FATAL_ERROR "The package needs a maintainer (Name <address>), found "
        "'${CPACK_PACKAGE_CONTACT}'. Set DEBFULLNAME and DEBEMAIL, or configure with "
        "-DKORVANNE_PACKAGE_MAINTAINER=\"Name <address>\".")
endif()
