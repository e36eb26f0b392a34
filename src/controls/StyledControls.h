#pragma once
// Makes the styled controls' classes known to the window loader.
void RegisterStyledControls();
