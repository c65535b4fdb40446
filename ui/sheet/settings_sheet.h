#pragma once

// Shows the modal two-page settings sheet and returns when it is closed.
void RunSettingsSheet();
