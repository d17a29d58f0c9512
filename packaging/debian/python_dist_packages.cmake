# SPDX-License-Identifier: MIT
# Run by CPack before packing: Debian's python3 reads /usr/lib/python3/dist-packages whatever
# its minor version, so the package holds there what the build installed to the folder of one
# version (lib/python3.N/dist-packages).
set(lib "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/lib")
file(GLOB versioned LIST_DIRECTORIES true "${lib}/python3.*/dist-packages")
foreach(folder ${versioned})
  file(MAKE_DIRECTORY "${lib}/python3/dist-packages")
  file(GLOB packages LIST_DIRECTORIES true RELATIVE "${folder}" "${folder}/*")
  foreach(package ${packages})
    file(RENAME "${folder}/${package}" "${lib}/python3/dist-packages/${package}")
  endforeach()
  file(REMOVE_RECURSE "${folder}")
  # The version's folder goes too once nothing else is in it.
  get_filename_component(version_folder "${folder}" DIRECTORY)
  file(GLOB left "${version_folder}/*")
  if(NOT left)
    file(REMOVE_RECURSE "${version_folder}")
  endif()
endforeach()
