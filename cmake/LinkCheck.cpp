// SPDX-License-Identifier: MIT
// The program a core library is linked into on its own: it calls nothing,
// the library's objects are all pulled in, and the link succeeds only when
// the libraries it names define everything they use.
int main()
{
    return 0;
}
