# Run by CPack once the package is made. Its staging copy of /usr would leave
# a second program called biorhythm in the build tree, one that keeps
# kojinfl.txt in the user's folder instead of beside itself; the package
# file lies outside that copy.
if(CPACK_TEMPORARY_DIRECTORY MATCHES "/_CPack_Packages/")
  file(REMOVE_RECURSE "${CPACK_TEMPORARY_DIRECTORY}")
endif()
