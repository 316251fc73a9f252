// Calls RuntimeUnlockString the way a compiled epilogue does, with a result pending in EAX, EDX
// and (when withFloat) ST(0), and answers which of them did not survive:
//   int CheckUnlockPreservesRegisters(StringRecord* record, int withFloat)
// bit 1 EAX, bit 2 EDX, bit 4 ST(0), bit 8 the x87 stack depth.
#if defined(__i386__) && !defined(_WIN64)

    .text
    .globl  _CheckUnlockPreservesRegisters
    .def    _CheckUnlockPreservesRegisters; .scl 2; .type 32; .endef
_CheckUnlockPreservesRegisters:
    pushl   %ebp
    movl    %esp, %ebp
    pushl   %edi
    xorl    %edi, %edi
    cmpl    $0, 12(%ebp)
    je      1f
    fldpi
1:
    movl    $0x13579BDF, %eax
    movl    $0x2468ACE0, %edx
    pushl   8(%ebp)
    call    _RuntimeUnlockString
    addl    $4, %esp
    cmpl    $0x13579BDF, %eax
    je      2f
    orl     $1, %edi
2:
    cmpl    $0x2468ACE0, %edx
    je      3f
    orl     $2, %edi
3:
    cmpl    $0, 12(%ebp)
    je      5f
    fldpi
    fucomip %st(1), %st
    fstp    %st(0)
    jp      4f
    je      5f
4:
    orl     $4, %edi
5:
    // Whatever was pushed has been popped: ST(0) must be empty now.
    fxam
    fnstsw  %ax
    andb    $0x41, %ah
    cmpb    $0x41, %ah
    je      6f
    orl     $8, %edi
    fninit
6:
    movl    %edi, %eax
    popl    %edi
    leave
    ret

#endif
