/* What Ovra needs of mbedTLS is what libssh2's mbedTLS backend uses: RSA and ECDSA on the
 * NIST curves, ECDH, DH, AES, 3DES, the SHA family, MD5 and RIPEMD-160, and the key
 * parsers. Included at the end of mbedTLS's default configuration (MBEDTLS_USER_CONFIG_FILE),
 * for the library and for libssh2 alike. Each module left out is code a cipher or curve
 * table would otherwise pull into the exe. */
#undef MBEDTLS_ERROR_C
#undef MBEDTLS_CAMELLIA_C
#undef MBEDTLS_ARIA_C
#undef MBEDTLS_BLOWFISH_C
#undef MBEDTLS_ARC4_C
#undef MBEDTLS_CHACHA20_C
#undef MBEDTLS_CHACHAPOLY_C
#undef MBEDTLS_POLY1305_C
#undef MBEDTLS_CCM_C
#undef MBEDTLS_GCM_C
#undef MBEDTLS_NIST_KW_C
#undef MBEDTLS_CMAC_C
#undef MBEDTLS_CIPHER_MODE_XTS
#undef MBEDTLS_CIPHER_MODE_OFB
#undef MBEDTLS_CIPHER_MODE_CFB
#undef MBEDTLS_PKCS12_C
#undef MBEDTLS_AES_ROM_TABLES
#define MBEDTLS_AES_FEWER_TABLES
#undef MBEDTLS_ECP_DP_SECP192R1_ENABLED
#undef MBEDTLS_ECP_DP_SECP224R1_ENABLED
#undef MBEDTLS_ECP_DP_SECP192K1_ENABLED
#undef MBEDTLS_ECP_DP_SECP224K1_ENABLED
#undef MBEDTLS_ECP_DP_SECP256K1_ENABLED
#undef MBEDTLS_ECP_DP_BP256R1_ENABLED
#undef MBEDTLS_ECP_DP_BP384R1_ENABLED
#undef MBEDTLS_ECP_DP_BP512R1_ENABLED
#undef MBEDTLS_ECP_DP_CURVE25519_ENABLED
#undef MBEDTLS_ECP_DP_CURVE448_ENABLED
/* The TLS and certificate modules stay (never linked: Ovra uses only libmbedcrypto), less
 * what needs the ciphers left out above. */
#undef MBEDTLS_SSL_TICKET_C
#undef MBEDTLS_SSL_CONTEXT_SERIALIZATION
#undef MBEDTLS_SELF_TEST
