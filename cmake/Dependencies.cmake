# The libraries Brelvane builds with, found once for every folder.
find_package(Threads REQUIRED)

if(CMAKE_CROSSCOMPILING AND WIN32)
  # Debian packages the header-only libraries for the host only. Their headers serve any
  # target, but the host's /usr/include must not come along (its C library would shadow
  # the target's), so they are reached through a folder that holds just them.
  set(headers ${CMAKE_BINARY_DIR}/third-party-include)
  file(MAKE_DIRECTORY ${headers})
  foreach(dir nlohmann toml++)
    if(NOT EXISTS ${headers}/${dir})
      file(CREATE_LINK /usr/include/${dir} ${headers}/${dir} SYMBOLIC)
    endif()
  endforeach()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${headers})
  add_library(tomlplusplus::tomlplusplus INTERFACE IMPORTED)
  target_include_directories(tomlplusplus::tomlplusplus SYSTEM INTERFACE ${headers})
  target_compile_definitions(tomlplusplus::tomlplusplus INTERFACE TOML_HEADER_ONLY=1)

  if(BRELVANE_TESTS)
    # GoogleTest from the sources Debian's googletest package installs.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
else()
  find_package(nlohmann_json 3 REQUIRED)
  find_package(tomlplusplus 3 REQUIRED)
  if(BRELVANE_TESTS)
    find_package(GTest REQUIRED)
  endif()
endif()
