#pragma once

// Puts the program's own automation servers into the automation layer's
// registry; the program and the replay harness call it at start-up.
void RegisterAutomationServers();
