/* The exception markers of compiled code, as assembler macros for routines written by hand that
 * must behave as compiled code does around exceptions (include from a .S file):
 *   TRY_BEGIN, TRY_END        the 9-byte try-begin and try-end markers around a Try block
 *   HANDLER(over, slot)       the 13-byte handler marker after the protected code: its jump skips
 *                             to label `over`, and a raise stores the exception at slot(%ebp)
 *                             (0: nowhere); the handler's code follows the marker. */
#ifndef QUORVANE_MARKERS_H
#define QUORVANE_MARKERS_H

#define TRY_BEGIN .byte 0xE9; .long 4; .long 0x412
#define TRY_END   .byte 0xE9; .long 4; .long 0x413
#define HANDLER(over, slot) .byte 0xE9; .long over - (. + 4); .long 0x411; .short 0; .short slot

#endif
