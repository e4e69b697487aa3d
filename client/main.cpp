// Process entry of KodrinUtil: hands the argument vector to the program's entry routine.
#include "client/kodrin_util.h"

int main(int argc, char** argv) { return KodrinUtil::Main(argc, argv); }
