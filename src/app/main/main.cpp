// tallyrune-update: brings the installed Tallyrune up to date from its update folder.
#include "app/UpdateUtility.h"

int main(int argc, char** argv) { return RunUpdateUtility(argc, argv); }
