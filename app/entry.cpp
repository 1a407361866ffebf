#include "main.h"

int main(int argc, char *argv[]) { return orvaneMain(argc, argv); }
