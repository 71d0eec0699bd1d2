# Flags and defines shared by every target of the project, on one interface target.
add_library(ohmara_common INTERFACE)
target_compile_features(ohmara_common INTERFACE cxx_std_17)
target_compile_options(ohmara_common INTERFACE
    -Wall -Wextra -Wpedantic
    # Answers must be the same bits on every machine: no fused multiply-add.
    -ffp-contract=off)
target_compile_definitions(ohmara_common INTERFACE
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_CAST_FROM_BYTEARRAY
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)

# The hardening Debian builds with. Fortify needs optimisation, and the sanitizers bring
# their own checks.
if(NOT OHMARA_SANITIZE AND NOT OHMARA_FUZZ)
    target_compile_options(ohmara_common INTERFACE -fstack-protector-strong
        $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
    target_link_options(ohmara_common INTERFACE -Wl,-z,relro,-z,now)
endif()

if(OHMARA_SANITIZE)
    target_compile_options(ohmara_common INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(ohmara_common INTERFACE -fsanitize=address,undefined)
endif()

if(OHMARA_FUZZ)
    # Coverage instrumentation for the core; each fuzz target links the fuzzer's main.
    target_compile_options(ohmara_common INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    target_link_options(ohmara_common INTERFACE -fsanitize=address,undefined)
endif()
