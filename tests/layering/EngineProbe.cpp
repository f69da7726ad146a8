// Linked against one engine library with every library it brings along, so that the program's
// dependencies show what the engine links.
int main() {
    return 0;
}
