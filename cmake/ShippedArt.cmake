# Shipped art: the build turns text descriptions (with their images) into the binary files
# of the program folder, with the suite's own tools.
#
#   tkw_build_art(<description> <output>)
#       One file: ".qpg"/".vpg" outputs are clock faces (face_compiler), ".dat", ".qsk"
#       and ".vsk" outputs are resource packs and skins (skin_builder). The tools write a
#       depfile, so a changed image rebuilds the file.
#
#   tkw_add_shipped_art(<source folder>)
#       Every description below the folder, named after the file it makes:
#           <name>.qpg.txt, <name>.vpg.txt  ->  shipped/plugins/<name>.qpg|.vpg
#           <name>.qsk.txt, <name>.vsk.txt  ->  shipped/skins/<name>.qsk|.vsk
#           res.dat.txt, resvga.dat.txt     ->  shipped/data/res.dat|resvga.dat
#       built by the target "shipped_art" (part of "all") into ${TKW_SHIPPED_ART_DIR},
#       which mirrors the program folder (default: <build>/shipped).

set(TKW_SHIPPED_ART_DIR "${CMAKE_BINARY_DIR}/shipped" CACHE PATH "Where the build puts the shipped art")

function(tkw_build_art description output)
    get_filename_component(extension "${output}" LAST_EXT)
    string(TOLOWER "${extension}" extension)
    if(extension STREQUAL ".qpg" OR extension STREQUAL ".vpg")
        set(tool face_compiler)
    elseif(extension STREQUAL ".dat" OR extension STREQUAL ".qsk" OR extension STREQUAL ".vsk")
        set(tool skin_builder)
    else()
        message(FATAL_ERROR "tkw_build_art: no tool makes ${output}")
    endif()
    get_filename_component(name "${output}" NAME)
    add_custom_command(OUTPUT "${output}"
        COMMAND ${tool} "${description}" "${output}" --depfile "${output}.d"
        DEPENDS "${description}" ${tool}
        DEPFILE "${output}.d"
        COMMENT "Building ${name}"
        VERBATIM)
endfunction()

function(tkw_add_shipped_art source)
    file(GLOB_RECURSE descriptions CONFIGURE_DEPENDS
        "${source}/*.qpg.txt" "${source}/*.vpg.txt" "${source}/*.qsk.txt" "${source}/*.vsk.txt"
        "${source}/res.dat.txt" "${source}/resvga.dat.txt")
    set(outputs)
    foreach(description IN LISTS descriptions)
        get_filename_component(file "${description}" NAME)
        string(REGEX REPLACE "\\.txt$" "" file "${file}")
        if(file MATCHES "\\.[qv]pg$")
            set(folder plugins)
        elseif(file MATCHES "\\.[qv]sk$")
            set(folder skins)
        else()
            set(folder data)
        endif()
        set(output "${TKW_SHIPPED_ART_DIR}/${folder}/${file}")
        if(output IN_LIST outputs)
            message(FATAL_ERROR "Two descriptions make ${folder}/${file}")
        endif()
        tkw_build_art("${description}" "${output}")
        list(APPEND outputs "${output}")
    endforeach()
    add_custom_target(shipped_art ALL DEPENDS ${outputs})
endfunction()
