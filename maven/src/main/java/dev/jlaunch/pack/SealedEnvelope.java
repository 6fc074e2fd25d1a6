package dev.jlaunch.pack;

import java.nio.charset.StandardCharsets;
import java.security.GeneralSecurityException;
import java.security.SecureRandom;
import java.util.Arrays;
import java.util.Optional;
import javax.crypto.Cipher;
import javax.crypto.SecretKeyFactory;
import javax.crypto.spec.GCMParameterSpec;
import javax.crypto.spec.PBEKeySpec;
import javax.crypto.spec.SecretKeySpec;

/**
 * The enciphered settings text the launcher carries, under a key derived from the "Upgrade Code":
 * "JLS1" | PBKDF2 iterations (u32) | salt (16) | GCM nonce (12) | ciphertext | GCM tag (16). The 36
 * header bytes are authenticated with the text; the text is UTF-8 without a byte-order mark.
 */
public final class SealedEnvelope {
    public static final int ITERATIONS = 10000;
    public static final int MAXIMUM_ITERATIONS = 1000000;
    public static final int SALT_SIZE = 16;
    public static final int NONCE_SIZE = 12;
    static final int HEADER_SIZE = 36;
    static final int TAG_SIZE = 16;
    static final int MAXIMUM_SIZE = 4 * 1024 * 1024;
    private static final byte[] MAGIC = {'J', 'L', 'S', '1'};
    private static final SecureRandom RANDOM = new SecureRandom();

    private SealedEnvelope() {}

    /** Seals with a fresh salt and nonce, as every real packing does. */
    public static byte[] seal(String text, String upgradeCode) throws PackException {
        byte[] salt = new byte[SALT_SIZE];
        byte[] nonce = new byte[NONCE_SIZE];
        RANDOM.nextBytes(salt);
        RANDOM.nextBytes(nonce);
        return seal(text, upgradeCode, ITERATIONS, salt, nonce);
    }

    /** Seals with the salt and nonce given: tests compare such envelopes byte for byte. */
    public static byte[] seal(String text, String upgradeCode, int iterations, byte[] salt, byte[] nonce)
            throws PackException {
        byte[] plain = text.getBytes(StandardCharsets.UTF_8);
        if (iterations <= 0 || iterations > MAXIMUM_ITERATIONS || salt.length != SALT_SIZE
                || nonce.length != NONCE_SIZE || plain.length > MAXIMUM_SIZE - HEADER_SIZE - TAG_SIZE) {
            throw new PackException("the settings cannot be sealed: iteration count, salt, nonce or size out of range");
        }
        byte[] header = new byte[HEADER_SIZE];
        System.arraycopy(MAGIC, 0, header, 0, MAGIC.length);
        Bytes.putU32(header, 4, iterations);
        System.arraycopy(salt, 0, header, 8, SALT_SIZE);
        System.arraycopy(nonce, 0, header, 8 + SALT_SIZE, NONCE_SIZE);
        try {
            Cipher cipher = gcm(Cipher.ENCRYPT_MODE, upgradeCode, salt, iterations, nonce);
            cipher.updateAAD(header);
            byte[] sealed = cipher.doFinal(plain);  // ciphertext followed by the tag
            byte[] out = Arrays.copyOf(header, HEADER_SIZE + sealed.length);
            System.arraycopy(sealed, 0, out, HEADER_SIZE, sealed.length);
            return out;
        } catch (GeneralSecurityException e) {
            throw new PackException("the JDK's cryptography could not encipher the settings: " + e.getMessage(), e);
        }
    }

    /** The text of an envelope; nothing when it is malformed or does not authenticate under the code. */
    public static Optional<String> open(byte[] envelope, String upgradeCode) {
        if (envelope.length < HEADER_SIZE + TAG_SIZE || envelope.length > MAXIMUM_SIZE
                || !Arrays.equals(envelope, 0, 4, MAGIC, 0, 4)) {
            return Optional.empty();
        }
        long iterations = Bytes.u32(envelope, 4);
        if (iterations == 0 || iterations > MAXIMUM_ITERATIONS) {
            return Optional.empty();
        }
        byte[] salt = Arrays.copyOfRange(envelope, 8, 8 + SALT_SIZE);
        byte[] nonce = Arrays.copyOfRange(envelope, 8 + SALT_SIZE, HEADER_SIZE);
        try {
            Cipher cipher = gcm(Cipher.DECRYPT_MODE, upgradeCode, salt, (int) iterations, nonce);
            cipher.updateAAD(envelope, 0, HEADER_SIZE);
            byte[] plain = cipher.doFinal(envelope, HEADER_SIZE, envelope.length - HEADER_SIZE);
            return Optional.of(StandardCharsets.UTF_8.newDecoder().decode(java.nio.ByteBuffer.wrap(plain)).toString());
        } catch (GeneralSecurityException | java.nio.charset.CharacterCodingException e) {
            return Optional.empty();
        }
    }

    private static Cipher gcm(int mode, String upgradeCode, byte[] salt, int iterations, byte[] nonce)
            throws GeneralSecurityException {
        // PBEKeySpec hands the password's characters to PBKDF2WithHmacSHA256 as UTF-8.
        PBEKeySpec password = new PBEKeySpec(upgradeCode.toCharArray(), salt, iterations, 256);
        byte[] key = SecretKeyFactory.getInstance("PBKDF2WithHmacSHA256").generateSecret(password).getEncoded();
        password.clearPassword();
        Cipher cipher = Cipher.getInstance("AES/GCM/NoPadding");
        cipher.init(mode, new SecretKeySpec(key, "AES"), new GCMParameterSpec(TAG_SIZE * 8, nonce));
        return cipher;
    }
}
