// A frame of the runtime's own that catches what escapes a call: HandlerFrame(function, context,
// catcher) calls function(context) with a handler marker (the short form) after the call, so that
// an exception no compiled handler takes lands here and goes to catcher(exception), which receives
// the handler slot's reference. The event loop runs each step in one; callbacks the system makes
// where the frame chain does not lead back to runtime code run in another. The marker's own jump
// skips exactly two bytes past its end, so the handler entry is a two-byte jump.
#if defined(__i386__) && !defined(_WIN64)

    .text
    .globl  _HandlerFrame
    .def    _HandlerFrame; .scl 2; .type 32; .endef
    .globl  _HandlerFrameEnd
_HandlerFrame:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $8, %esp
    movl    %esp, -4(%ebp)              // the stack pointer the handler restores
    movl    $0, -8(%ebp)                // the exception slot
    pushl   12(%ebp)
    call    *8(%ebp)
    .byte   0xEB, 0x0D, 0, 0, 0, 0x11, 0x04, 0, 0, 0, 0
    .short  -8
    .byte   0xEB, 2f - 1f
1:
    leave
    ret
2:
    movl    -4(%ebp), %esp
    pushl   -8(%ebp)
    call    *16(%ebp)
    leave
    ret
_HandlerFrameEnd:

#elif defined(__x86_64__)

    .text
    .globl  HandlerFrame
    .def    HandlerFrame; .scl 2; .type 32; .endef
    .globl  HandlerFrameEnd
HandlerFrame:                           // function in rcx, context in rdx, catcher in r8
    pushq   %rbp
    movq    %rsp, %rbp
    subq    $48, %rsp                   // the callee's shadow space and three slots
    movq    %rsp, -8(%rbp)
    movq    $0, -16(%rbp)
    movq    %r8, -24(%rbp)
    movq    %rcx, %rax
    movq    %rdx, %rcx
    call    *%rax
    .byte   0xEB, 0x0D, 0, 0, 0, 0x11, 0x04, 0, 0, 0, 0
    .short  -16
    .byte   0xEB, 2f - 1f
1:
    leave
    ret
2:
    movq    -8(%rbp), %rsp
    movq    -16(%rbp), %rcx
    call    *-24(%rbp)
    leave
    ret
HandlerFrameEnd:

#endif
