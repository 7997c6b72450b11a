// A library that mentions the contract's names but does not export them: the factory
// must load it, find nothing and go on.
extern "C" const char* gwDecoyText()
{
    return "gwControlClassIds gwCreateControl";
}
