package com.acme.modular;

import java.util.logging.Logger;

public final class Main {
    private Main() {}

    public static void main(String[] args) {
        Module module = Main.class.getModule();
        Logger.getLogger("modular-app").fine("started");
        System.out.println("modular-app: module " + (module.isNamed() ? module.getName() : "(unnamed)")
                + " on Java " + Runtime.version().feature() + " args=" + String.join(",", args));
    }
}
