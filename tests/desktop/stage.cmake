# Installs the build into a fresh staging folder, as a package would lay it out under /usr:
# cmake -DBUILD=<build folder> -DSTAGING=<folder> -P stage.cmake
file(REMOVE_RECURSE ${STAGING})
set(ENV{DESTDIR} ${STAGING})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr COMMAND_ERROR_IS_FATAL ANY)
