/* Exits 0 when this kernel runs 32-bit code segments in a 64-bit process, as
 * Wine's WoW64 mode needs, and 1 when it does not. It switches to the 32-bit
 * user code selector, runs one instruction there and comes back; a kernel
 * without 32-bit emulation faults on the switch. The attempt runs in a child,
 * so the fault ends the child, not the probe.
 * Build natively without PIE: the 32-bit code and its stack must lie below
 * 4 GiB, and the return address is an absolute 32-bit immediate. */
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

char quillgate_stack32[4096] __attribute__((aligned(16)));
unsigned long quillgate_saved_rsp;

static int RunIn32BitMode(void) {
    int result;
    __asm__ volatile("movq %%rsp, quillgate_saved_rsp(%%rip)\n\t"
                     "leaq quillgate_stack32+4096(%%rip), %%rsp\n\t"
                     /* The 32-bit far return back to 64-bit code (selector 0x33). */
                     "subq $8, %%rsp\n\t"
                     "movl $1f, (%%rsp)\n\t"
                     "movl $0x33, 4(%%rsp)\n\t"
                     /* Into 32-bit code (selector 0x23). */
                     "pushq $0x23\n\t"
                     "pushq $2f\n\t"
                     "lretq\n\t"
                     ".code32\n"
                     "2: movl $42, %%eax\n\t"
                     "lret\n\t"
                     ".code64\n"
                     "1: movq quillgate_saved_rsp(%%rip), %%rsp\n\t"
                     : "=a"(result)
                     :
                     : "memory");
    return result;
}

int main(void) {
    fflush(stdout);
    pid_t child = fork();
    if (child < 0) {
        perror("fork");
        return 2;
    }
    if (child == 0) {
        _exit(RunIn32BitMode() == 42 ? 0 : 1);
    }
    int status;
    if (waitpid(child, &status, 0) != child) {
        perror("waitpid");
        return 2;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
