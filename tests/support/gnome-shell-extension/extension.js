// Turns the headless shell into a desktop the tests can drive: Eval answers (unsafe mode), the
// overview that opens at start-up is closed, and the seat gets a keyboard and a pointer, so that
// clients learn of focus through the keyboard as on a real desktop.
/* exported init */
const { Clutter } = imports.gi;
const Main = imports.ui.main;

class Extension {
    enable() {
        global.context.unsafe_mode = true;
        const seat = Clutter.get_default_backend().get_default_seat();
        this._keyboard = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
        this._pointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
        if (Main.layoutManager._startingUp)
            Main.layoutManager.connect('startup-complete', () => Main.overview.hide());
        else
            Main.overview.hide();
    }

    disable() {
        global.context.unsafe_mode = false;
        this._keyboard = null;
        this._pointer = null;
    }
}

function init() {
    return new Extension();
}
