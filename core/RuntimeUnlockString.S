// RuntimeUnlockString for i686: compiled code calls it in a function's epilogue after the result
// is set, so EAX, EDX (integer results) and ST(0) (a floating-point result) must survive the
// release. ST(0) is saved only when it holds a value: popping an empty register would fault the
// x87 stack, and pushing back a value the caller never had would unbalance it.
#if defined(__i386__) && !defined(_WIN64)

    .text
    .globl  _RuntimeUnlockString
    .def    _RuntimeUnlockString; .scl 2; .type 32; .endef
    .p2align 4
_RuntimeUnlockString:
    cmpl    $0, 4(%esp)             // the empty string: nothing to release
    je      3f
    pushl   %ebp
    movl    %esp, %ebp
    pushl   %eax                    // -4(%ebp)
    pushl   %edx                    // -8(%ebp)
    subl    $16, %esp               // ST(0) at 0(%esp) (10 bytes), its flag at 12(%esp)
    fxam
    fnstsw  %ax
    andb    $0x41, %ah              // C3 and C0 (C2 is undefined for an empty register)
    movl    $0, 12(%esp)
    cmpb    $0x41, %ah              // both set: the register is empty
    je      1f
    fstpt   (%esp)
    movl    $1, 12(%esp)
1:
    pushl   8(%ebp)
    call    _RuntimeUnlockStringRelease
    addl    $4, %esp
    cmpl    $0, 12(%esp)
    je      2f
    fldt    (%esp)
2:
    movl    -8(%ebp), %edx
    movl    -4(%ebp), %eax
    leave
3:
    ret

#endif
