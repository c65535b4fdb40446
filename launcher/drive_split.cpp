#include "launcher/drive_split.h"

#include <string.h>

void LaunchPiecesFromTheEnd(char* joined, LeadByteTest isLeadByte, PieceExists exists,
                            LaunchPiece launch, void* context) {
    size_t n = strlen(joined);
    for (;;) {
        bool launchHere = n == 0;
        if (n > 0 && joined[n] == ':' && IsCharacterStart(joined, n - 1, isLeadByte) &&
            exists(joined + n - 1, context)) {
            --n; // the drive letter
            launchHere = true;
        }
        if (launchHere) {
            launch(joined + n, context);
            // The separator before the drive letter goes with the piece.
            joined[n > 1 ? n - 1 : 0] = '\0';
        }
        if (n == 0) {
            return;
        }
        --n;
    }
}
