// Links the compiled resources (the .res that llvm-rc makes from linkstart.rc) into the
// program between two symbols, where the platform layer reads them at run time.
// LINKSTART_RES_FILE is the path of the .res file, given by the build.
        .section .rodata.linkstart_resources, "a"
        .balign 16
        .global linkstart_program_resources
        .global linkstart_program_resources_end
        .type linkstart_program_resources, @object
linkstart_program_resources:
        .incbin LINKSTART_RES_FILE
linkstart_program_resources_end:
        .size linkstart_program_resources, linkstart_program_resources_end - linkstart_program_resources

        .section .note.GNU-stack, "", @progbits
