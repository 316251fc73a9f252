// Routines that behave as compiled application code does around exceptions: frame-pointer frames,
// a saved stack pointer in the frame, Try blocks bracketed by try-begin and try-end markers, the
// 13-byte handler marker after the protected code, a catch-all before the epilogue (leave, ret),
// and cdecl calls. They live in a section of their own, which the test registers as code the
// exception dispatcher may scan.
#if defined(__i386__) && !defined(_WIN64)

#include "sdk/QuorvaneMarkers.h"

    .section .qvcode, "xr"
    .globl  _CompiledCodeBegin
_CompiledCodeBegin:

// int CompiledTryCatch(void (*call)(void), ObjectHeader** caught)
// 1 when the call returns normally; 2 when its catch ran, with the exception in *caught.
    .globl  _CompiledTryCatch
_CompiledTryCatch:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $12, %esp
    movl    %esp, -4(%ebp)
    movl    $0, -8(%ebp)
    TRY_BEGIN
    call    *8(%ebp)
    movl    $1, -12(%ebp)
    HANDLER(1f, -8)
    movl    -4(%ebp), %esp
    movl    -8(%ebp), %eax
    movl    12(%ebp), %ecx
    movl    %eax, (%ecx)
    movl    $2, -12(%ebp)
1:
    TRY_END
    movl    -12(%ebp), %eax
    leave
    ret

// int CompiledTryCatchNoSlot(void (*call)(void))
// As above, but the handler marker's slot offset is 0: the catch runs without the exception.
    .globl  _CompiledTryCatchNoSlot
_CompiledTryCatchNoSlot:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $12, %esp
    movl    %esp, -4(%ebp)
    TRY_BEGIN
    call    *8(%ebp)
    movl    $1, -12(%ebp)
    HANDLER(1f, 0)
    movl    -4(%ebp), %esp
    movl    $2, -12(%ebp)
1:
    TRY_END
    movl    -12(%ebp), %eax
    leave
    ret

// int CompiledCallBeforeTry(void (*first)(void), void (*inTry)(void), ObjectHeader** caught)
// Calls first, then runs a Try around inTry, then has a catch-all. An exception from first passes
// over the later Try (3: the catch-all ran); one from inTry lands in the Try's catch (4).
    .globl  _CompiledCallBeforeTry
_CompiledCallBeforeTry:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $16, %esp
    movl    %esp, -4(%ebp)
    movl    $0, -8(%ebp)
    movl    $0, -16(%ebp)
    call    *8(%ebp)
    movl    $1, -12(%ebp)
    TRY_BEGIN
    call    *12(%ebp)
    HANDLER(1f, -16)
    movl    -4(%ebp), %esp
    movl    -16(%ebp), %eax
    movl    16(%ebp), %ecx
    movl    %eax, (%ecx)
    movl    $4, -12(%ebp)
1:
    TRY_END
    HANDLER(2f, -8)
    movl    -4(%ebp), %esp
    movl    -8(%ebp), %eax
    movl    16(%ebp), %ecx
    movl    %eax, (%ecx)
    movl    $3, -12(%ebp)
2:
    movl    -12(%ebp), %eax
    leave
    ret

// void CompiledRethrowingCall(void (*call)(void))
// No Try of its own: its catch-all releases nothing but passes the exception on to its caller's
// handler with RuntimeReraiseException, drops its own reference and returns.
    .globl  _CompiledRethrowingCall
_CompiledRethrowingCall:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $8, %esp
    movl    %esp, -4(%ebp)
    movl    $0, -8(%ebp)
    call    *8(%ebp)
    HANDLER(1f, -8)
    movl    -4(%ebp), %esp
    pushl   -8(%ebp)
    call    _RuntimeReraiseException
    addl    $4, %esp
    pushl   -8(%ebp)
    call    _RuntimeUnlockObject
    addl    $4, %esp
    movl    $0, -8(%ebp)
1:
    leave
    ret

// int CompiledOuterCatch(void (*call)(void), ObjectHeader** caught)
// A Try around CompiledRethrowingCall(call): 5 when its catch received the passed-on exception.
    .globl  _CompiledOuterCatch
_CompiledOuterCatch:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $12, %esp
    movl    %esp, -4(%ebp)
    movl    $0, -8(%ebp)
    movl    $1, -12(%ebp)
    TRY_BEGIN
    pushl   8(%ebp)
    call    _CompiledRethrowingCall
    addl    $4, %esp
    HANDLER(1f, -8)
    movl    -4(%ebp), %esp
    movl    -8(%ebp), %eax
    movl    12(%ebp), %ecx
    movl    %eax, (%ecx)
    movl    $5, -12(%ebp)
1:
    TRY_END
    movl    -12(%ebp), %eax
    leave
    ret

// int CompiledArrayGet(ArrayRecord* array, int index, ObjectHeader** caught)
// array(index) of a one-dimensional Int32 array, read through the array's own operation table
// (operations at offset 4, Get in slot 0); -1 when its catch ran.
    .globl  _CompiledArrayGet
_CompiledArrayGet:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $12, %esp
    movl    %esp, -4(%ebp)
    movl    $0, -8(%ebp)
    TRY_BEGIN
    movl    8(%ebp), %eax
    movl    4(%eax), %ecx
    pushl   12(%ebp)
    pushl   %eax
    call    *0(%ecx)
    movl    -4(%ebp), %esp
    movl    %eax, -12(%ebp)
    HANDLER(1f, -8)
    movl    -4(%ebp), %esp
    movl    -8(%ebp), %eax
    movl    16(%ebp), %ecx
    movl    %eax, (%ecx)
    movl    $-1, -12(%ebp)
1:
    TRY_END
    movl    -12(%ebp), %eax
    leave
    ret

    .globl  _CompiledCodeEnd
_CompiledCodeEnd:

#endif
