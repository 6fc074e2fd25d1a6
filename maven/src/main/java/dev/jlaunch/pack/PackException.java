package dev.jlaunch.pack;

/** A packing that cannot be done; the message says why in the packager's terms. */
public final class PackException extends Exception {
    private static final long serialVersionUID = 1L;

    public PackException(String message) {
        super(message);
    }

    public PackException(String message, Throwable cause) {
        super(message, cause);
    }
}
