// Cuts the joined arguments back into file paths at drive-letter colons,
// from the end towards the front, and hands each piece on as it is found.
#pragma once

#include "launcher/lead_byte.h"

typedef bool (*PieceExists)(const char* piece, void* context);
typedef void (*LaunchPiece)(const char* piece, void* context);

// Every trailing piece that starts with "<letter>:" and names an existing
// file or folder is launched on its own, the last first, and cut off together
// with the one separator before it; whatever is left at the front is launched
// last, even when empty. `joined` is cut in place.
void LaunchPiecesFromTheEnd(char* joined, LeadByteTest isLeadByte, PieceExists exists,
                            LaunchPiece launch, void* context);
