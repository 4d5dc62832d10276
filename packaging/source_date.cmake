# Read by CPack before it packs. CPack takes the time stamps of the files in
# the package and of the archives inside it from SOURCE_DATE_EPOCH, else from
# the clock; so that two builds of one commit give the same bytes, it is set
# here, where the caller has not set it, to the time of the last commit (in
# a copy without git's history, the changelog's date).
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_BIO_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT epoch MATCHES "^[0-9]+$")
    execute_process(COMMAND dpkg-parsechangelog -l "${CPACK_BIO_SOURCE_DIR}/packaging/changelog"
                            -S Timestamp
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(epoch MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
  endif()
endif()
