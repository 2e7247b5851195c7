#pragma once

// Writes the shell's file associations as the settings give them.
void ApplyAssociations();
