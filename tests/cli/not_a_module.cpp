// A loadable library that is no effect module: it exports no EffectMain.
extern "C" __attribute__((visibility("default"))) int NotAnEffect() { return 0; }
