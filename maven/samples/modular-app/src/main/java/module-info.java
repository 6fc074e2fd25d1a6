module com.acme.modular {
    requires java.logging;
}
