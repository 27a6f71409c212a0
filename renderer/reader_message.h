// How the texture reader tells the user that a picture could not be read: a modal "Error" box on
// Windows, standard error elsewhere. Implemented once per platform and chosen at link time.
#pragma once

void ShowReaderMessage(const char* pszText);
