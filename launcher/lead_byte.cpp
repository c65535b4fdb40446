#include "launcher/lead_byte.h"

bool IsCharacterStart(const char* text, size_t index, LeadByteTest isLeadByte) {
    size_t run = 0;
    while (run < index && isLeadByte(static_cast<unsigned char>(text[index - run - 1]))) {
        ++run;
    }
    // Within the run, bytes pair up from its start; an odd run leaves a lead
    // byte whose partner is text[index].
    return run % 2 == 0;
}
