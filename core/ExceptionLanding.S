// Where a return address rewritten by a raise leads: the landing clears the in-flight flag and
// jumps on to the handler, leaving every register as the returning function left it (the handler
// reloads its stack pointer from its own frame first).
#if defined(__i386__) && !defined(_WIN64)

    .text
    .globl  _ExceptionLanding
    .def    _ExceptionLanding; .scl 2; .type 32; .endef
_ExceptionLanding:
    movb    $0, _gExceptionInFlight
    jmp     *_gExceptionLandingTarget

#elif defined(__x86_64__)

    .text
    .globl  ExceptionLanding
    .def    ExceptionLanding; .scl 2; .type 32; .endef
ExceptionLanding:
    movb    $0, gExceptionInFlight(%rip)
    jmp     *gExceptionLandingTarget(%rip)

#endif
