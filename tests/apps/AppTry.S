// A Try block as compiled code lays it out, for the C test applications, which cannot place the
// markers themselves.
//
// int QvTry(void (*call)(ObjectHeader* volatile* raised), ObjectHeader** caught)
// Calls call with the address of the handler's exception slot, which becomes non-null once an
// exception is raised towards this Try (so that code below can stop as compiled code does).
// Returns 1 when the call returned normally; 2 when the catch ran, the exception (with the slot's
// reference) in *caught.
#if defined(__i386__) && !defined(_WIN64)

#include "sdk/QuorvaneMarkers.h"

    .text
    .globl  _QvTry
_QvTry:
    pushl   %ebp
    movl    %esp, %ebp
    subl    $12, %esp
    movl    %esp, -4(%ebp)
    movl    $0, -8(%ebp)
    leal    -8(%ebp), %eax
    TRY_BEGIN
    pushl   %eax
    call    *8(%ebp)
    addl    $4, %esp
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

#endif
