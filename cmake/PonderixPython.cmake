# The Python package ponderix, where Debian's python3 looks (lib/python3/dist-packages under /usr),
# with a link to the private libponderix.so beside it: the package looks for the library there
# first. Sources only: python3 compiles them on first use, and the .deb carries no bytecode.
include(GNUInstallDirs)

set(PONDERIX_PYTHON_DIR "lib/python3/dist-packages/ponderix")
file(RELATIVE_PATH PONDERIX_PYTHON_TO_PRIVATE "${CMAKE_INSTALL_PREFIX}/${PONDERIX_PYTHON_DIR}"
     "${CMAKE_INSTALL_FULL_LIBDIR}/ponderix")

file(GLOB PONDERIX_PYTHON_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/ponderix/*.py)
install(FILES ${PONDERIX_PYTHON_SOURCES} ${PROJECT_SOURCE_DIR}/python/ponderix/py.typed
        DESTINATION ${PONDERIX_PYTHON_DIR})

set(_python_link_dir ${CMAKE_CURRENT_BINARY_DIR}/python-links)
file(MAKE_DIRECTORY ${_python_link_dir})
file(CREATE_LINK ${PONDERIX_PYTHON_TO_PRIVATE}/libponderix.so ${_python_link_dir}/libponderix.so SYMBOLIC)
install(FILES ${_python_link_dir}/libponderix.so DESTINATION ${PONDERIX_PYTHON_DIR})
