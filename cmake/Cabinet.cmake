# The stand-in installer cabinet: an uncompressed Microsoft Cabinet holding one member,
# payload.bin, of fixed content and modification time, so that every build is byte-identical.
# The real installer is supplied with -DQAMOVUP_CABINET=path.
function(qamovup_standin_cabinet target output payload_size)
    find_program(QAMOVUP_GCAB gcab REQUIRED)
    add_custom_command(
        OUTPUT "${output}"
        COMMAND sh "${PROJECT_SOURCE_DIR}/cmake/make-standin-cabinet.sh" "${QAMOVUP_GCAB}" "${output}" ${payload_size}
        DEPENDS "${PROJECT_SOURCE_DIR}/cmake/make-standin-cabinet.sh"
        COMMENT "Building the stand-in cabinet ${output}"
        VERBATIM)
    add_custom_target(${target} DEPENDS "${output}")
endfunction()

# Embeds cabinet_file as the raw-data resource "CABFILE" of target (which must depend on cabinet_target, if any).
function(qamovup_embed_cabinet target cabinet_file)
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_cabinet.rc")
    file(TO_CMAKE_PATH "${cabinet_file}" QAMOVUP_RC_CABINET)
    configure_file("${PROJECT_SOURCE_DIR}/cmake/cabinet.rc.in" "${rc}" @ONLY)
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${cabinet_file}")
    target_sources(${target} PRIVATE "${rc}")
endfunction()
