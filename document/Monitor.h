#pragma once

void RestartFileMonitor();
