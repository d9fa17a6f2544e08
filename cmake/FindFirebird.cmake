# Firebird client library and its object API headers (firebird/Interface.h).
find_path(Firebird_INCLUDE_DIR NAMES firebird/Interface.h)
find_library(Firebird_LIBRARY NAMES fbclient)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Firebird REQUIRED_VARS Firebird_LIBRARY Firebird_INCLUDE_DIR)
if(Firebird_FOUND AND NOT TARGET Firebird::fbclient)
    add_library(Firebird::fbclient UNKNOWN IMPORTED)
    set_target_properties(Firebird::fbclient PROPERTIES
        IMPORTED_LOCATION "${Firebird_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${Firebird_INCLUDE_DIR}")
endif()
