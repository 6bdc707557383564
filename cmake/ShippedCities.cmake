# Shipped cities: the build turns the curated city table into the six continent files of
# the city database with tools/city_generator.
#
#   tkw_add_shipped_cities(<table>)
#       <table> (data/cities/cities.tsv)  ->  africa.cdb asia.cdb australia.cdb europe.cdb
#       namerica.cdb samerica.cdb, built by the target "shipped_cities" (part of "all") into
#       ${TKW_SHIPPED_CITIES_DIR} (default: <build>/shipped/cities). `tkwctl install` and the
#       tests' device set-up copy them into the program folder's data\.

set(TKW_SHIPPED_CITIES_DIR "${CMAKE_BINARY_DIR}/shipped/cities" CACHE PATH "Where the build puts the shipped city files")

function(tkw_add_shipped_cities table)
    set(outputs)
    foreach(file IN ITEMS africa asia australia europe namerica samerica)
        list(APPEND outputs "${TKW_SHIPPED_CITIES_DIR}/${file}.cdb")
    endforeach()
    add_custom_command(OUTPUT ${outputs}
        COMMAND city_generator "${table}" "${TKW_SHIPPED_CITIES_DIR}"
        DEPENDS "${table}" city_generator
        COMMENT "Building the shipped city files"
        VERBATIM)
    add_custom_target(shipped_cities ALL DEPENDS ${outputs})
endfunction()
