# tallyrune_embed_version_block(target): after each link, put the utility's own version block into
# the executable as the ELF section .tallyrune_ver, where the version reader looks for it.
set(TALLYRUNE_VERSION_BLOCK ${CMAKE_BINARY_DIR}/version/tallyrune-update.ver CACHE INTERNAL "The utility's own version block")
set(_tallyrune_version "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
add_custom_command(
  OUTPUT ${TALLYRUNE_VERSION_BLOCK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/version
  COMMAND mkpe ${TALLYRUNE_VERSION_BLOCK} --block-only
          --file-version ${_tallyrune_version} --product-version ${_tallyrune_version}
          --translation 0409:04E4
          --string "CompanyName=Harrowmere Software"
          --string "FileDescription=Tallyrune Update Utility"
          --string "FileVersion=${_tallyrune_version}"
          --string "InternalName=Tallyrune Update Utility"
          --string "LegalCopyright=Copyright (C) 2026 Harrowmere Software"
          --string "OriginalFilename=Tallyrune Update Utility"
          --string "ProductName=Update Utility"
          --string "ProductVersion=1.0.0.0"
          --string "Comments=Brings Tallyrune up to date from its update folder"
          --string "LegalTrademarks=Tallyrune is a trademark of Harrowmere Software"
  DEPENDS mkpe ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Writing the utility's version block"
  VERBATIM)
add_custom_target(tallyrune_version_block DEPENDS ${TALLYRUNE_VERSION_BLOCK})

find_program(TALLYRUNE_OBJCOPY NAMES ${CMAKE_OBJCOPY} objcopy llvm-objcopy-14 llvm-objcopy REQUIRED)

function(tallyrune_embed_version_block target)
  add_dependencies(${target} tallyrune_version_block)
  # Relink (and so re-embed) whenever the block changes.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TALLYRUNE_VERSION_BLOCK})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${TALLYRUNE_OBJCOPY} --remove-section=.tallyrune_ver
            --add-section .tallyrune_ver=${TALLYRUNE_VERSION_BLOCK}
            --set-section-flags .tallyrune_ver=noload,readonly
            $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
