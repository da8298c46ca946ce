#!/usr/bin/env python3
"""Serial devices for the GPS and climate-sensor tests under Wine.

    gps_feeder.py --build BUILD_DIR -- COMMAND...

Gives COM1..COM3 of the build's Wine prefix a pseudo terminal each (COM4 to
COM16 lead nowhere, so they fail to open at once), runs COMMAND and ends
with its exit code. The test talks to the feeder through files in the
directory it finds in TYVORN_SERIAL_DIR (a Windows path):

    portN.play     written by the test: the name of a scenario to play on
                  port N (one at a time; a new one replaces the running one),
                  or "unplug" and "plug" to take the port away and back
    portN.rx       what the program sent on port N
    portN.expect   written before a scenario plays: its valid GGA readings,
                  one a line: time latitude longitude altitude satellites
                  (degrees, north and east positive, the way NMEA says them)

Scenarios pace their bytes as a receiver at 4800 baud does.
"""
import argparse
import os
import select
import subprocess
import sys
import tempfile
import threading
import time
import tty

PORTS_WITH_DEVICE = (1, 2, 3)
PORT_COUNT = 16
BYTES_PER_SECOND = 480  # 4800 baud, 10 bits a byte


def checksum(body):
    s = 0
    for c in body.encode("latin-1"):
        s ^= c
    return "%02X" % s


def sentence(body):
    return "$%s*%s\r\n" % (body, checksum(body))


def wrong_checksum(body):
    return "$%s*%s\r\n" % (body, "00" if checksum(body) != "00" else "01")


def nmea_angle(degrees, width):
    """dddmm.mmmm of a non-negative angle."""
    whole = int(degrees)
    minutes = (degrees - whole) * 60
    return "%0*d%07.4f" % (width, whole, minutes)


def gga(time_text, lat, lon, sats, alt, quality=1, lat_text=None, lon_text=None):
    lat_field = lat_text or nmea_angle(abs(lat), 2)
    lon_field = lon_text or nmea_angle(abs(lon), 3)
    return "GPGGA,%s,%s,%s,%s,%s,%d,%02d,0.9,%s,M,46.9,M,," % (
        time_text, lat_field, "N" if lat >= 0 else "S", lon_field, "E" if lon >= 0 else "W",
        quality, sats, alt)


GSA = sentence("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1")
GSV = [sentence("GPGSV,3,%d,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00" % i) for i in (1, 2, 3)]


def rmc(time_text):
    return sentence("GPRMC,%s,A,5048.000,N,00706.000,E,022.4,084.4,230394,003.1,W" % time_text)


class Scenario:
    """Bytes to send and the valid readings among them."""

    def __init__(self):
        self.parts = []         # text, or a float: seconds of silence
        self.expected = []
        self.wait_for_init = False
        self.repeat = None      # a function giving burst n, for endless scenarios

    def valid(self, time_text, lat, lon, sats, alt):
        self.parts.append(sentence(gga(time_text, lat, lon, sats, alt)))
        self.expected.append("%s %.7f %.7f %s %d" % (time_text, lat, lon, alt, sats))

    def burst(self, time_text):
        self.parts += [GSA] + GSV + [rmc(time_text)]


def mixed():
    """Good and broken sentences, as a receiver on a bad line might give them."""
    s = Scenario()
    s.valid("120000.000", 50.8, 7.1, 8, "120.5")
    s.burst("120000.000")
    s.parts.append(wrong_checksum(gga("120001.000", 50.8, 7.1, 8, "120.5")))
    s.parts.append("$" + gga("120002.000", 50.8, 7.1, 8, "120.5") + "\r\n")               # no checksum
    s.valid("120003.00", -33.5125, -70.25, 3, "510")                                      # three satellites
    s.parts.append(sentence(gga("120004.000", 50.8, 7.1, 8, "120.5"))[:25])               # truncated
    s.parts.append(sentence(gga("120005.000", 0, 0, 0, "0", quality=0)))                 # no fix
    s.valid("120006", 48.1173, 11.5166667, 12, "545.4")
    s.burst("120006")
    s.parts.append("$GPGGA," + "7" * 200)                                                 # no line end
    s.valid("120007.5", 50.81, 7.11, 4, "-12.3")                                          # after a "$"
    s.parts.append("$GPGGA,120008.000,50\x0048.000,N\r\n")                                # NUL
    s.parts.append(sentence(gga("120009.000", 50.8, 7.1, 8, "120.5", lat_text="5048.0000000")))
    s.expected.append("120009.000 50.8000000 7.1000000 120.5 8")                         # other width
    s.valid("120010.000", 50.8, 7.1, 9, "121.5")
    s.burst("120010.000")
    return s


def announce(times, sats):
    """Sentences without a position until the program has initialised the
    receiver, then one GGA for each time."""
    s = Scenario()
    s.wait_for_init = True
    positions = [(50.8 + i * 0.01, 7.1 - i * 0.02, "%.1f" % (100 + 10 * i)) for i in range(len(times))]
    for t, n, (lat, lon, alt) in zip(times, sats, positions):
        s.valid(t, lat, lon, n, alt)
        s.burst(t)
    return s


def steady():
    """A receiver that goes on: one burst a second."""
    s = Scenario()

    def burst(n):
        t = "%02d%02d%02d.000" % (12, n // 60 % 60, n % 60)
        return [sentence(gga(t, 50.8, 7.1, 8, "120.5")), GSA, rmc(t), 1.0]
    s.repeat = burst
    return s


def climate():
    s = Scenario()
    frame = "@" + "-" * 26 + "FF9C" + "-" * 28 + "2710" + "--\r\n"

    def burst(_):
        return [frame, 0.5]
    s.repeat = burst
    return s


def climate_cut():
    s = Scenario()
    s.parts.append("@" + "-" * 30)
    return s


def silence():
    return Scenario()


def noise():
    s = Scenario()
    s.parts.append("no sensor frame here\r\n")
    return s


SCENARIOS = {
    "mixed": mixed,
    "midnight-before": lambda: announce(["235958.000", "235959.000", "000000.000", "000001.000"], [4, 12, 3, 6]),
    "midnight-after": lambda: announce(["000000.000", "235958.000", "235959.000"], [5, 8, 12]),
    "steady": steady,
    "climate": climate,
    "climate-cut": climate_cut,
    "noise": noise,
    "silence": silence,
}


class Port:
    def __init__(self, number, directory, devices):
        self.number = number
        self.directory = directory
        self.link = os.path.join(devices, "com%d" % number)
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.received = bytearray()
        self.lock = threading.Lock()
        self.stop = threading.Event()
        self.scenario = None
        self.generation = 0

    def plug(self, present):
        """Points Wine's COMn at the terminal, or at nothing."""
        os.remove(self.link)
        os.symlink(self.path if present else os.path.join(self.directory, "absent"), self.link)

    def file(self, suffix):
        return os.path.join(self.directory, "port%d.%s" % (self.number, suffix))

    def init_seen(self):
        with self.lock:
            return b"$PSRF104" in self.received

    def read_loop(self):
        while not self.stop.is_set():
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if not ready:
                continue
            try:
                data = os.read(self.master, 4096)
            except OSError:
                continue
            with self.lock:
                self.received += data
            with open(self.file("rx"), "ab") as f:
                f.write(data)

    def send(self, text, generation):
        data = text.encode("latin-1")
        for i in range(0, len(data), 16):
            if self.stop.is_set() or generation != self.generation:
                return False
            piece = data[i:i + 16]
            os.write(self.master, piece)
            time.sleep(len(piece) / BYTES_PER_SECOND)
        return True

    def play(self, scenario, generation):
        if scenario.wait_for_init:
            while not self.init_seen():
                if not self.send(GSA + rmc("115959.000"), generation):
                    return
        parts = scenario.parts
        n = 0
        while True:
            for part in parts:
                if isinstance(part, float):
                    if self.stop.wait(part) or generation != self.generation:
                        return
                elif not self.send(part, generation):
                    return
            if not scenario.repeat:
                return
            parts = scenario.repeat(n)
            n += 1

    def control_loop(self):
        while not self.stop.wait(0.01):
            name = self.file("play")
            if not os.path.exists(name):
                continue
            with open(name) as f:
                what = f.read().strip()
            os.remove(name)
            with self.lock:
                self.received = bytearray()
            if what in ("unplug", "plug"):
                self.plug(what == "plug")
                what = "silence"
            scenario = SCENARIOS[what]()
            with open(self.file("expect") + ".tmp", "w") as f:
                f.write("".join(line + "\n" for line in scenario.expected))
            os.replace(self.file("expect") + ".tmp", self.file("expect"))
            self.generation += 1
            threading.Thread(target=self.play, args=(scenario, self.generation), daemon=True).start()


def prepare_prefix(build):
    lib = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "lib.sh")
    subprocess.run(["bash", "-c", '. "$1"; wine_env "$2"; wine_prefix_ready', "-", lib, build], check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    prepare_prefix(args.build)
    prefix = os.environ.get("WINEPREFIX") or os.path.join(args.build, "wineprefix")
    devices = os.path.join(prefix, "dosdevices")
    directory = tempfile.mkdtemp(prefix="tyvorn-serial-")
    ports = [Port(n, directory, devices) for n in PORTS_WITH_DEVICE]

    # Wine opens COMn through the link dosdevices/comn, which it reads anew at
    # every open; the links it had are put back at the end.
    saved = {}
    for n in range(1, PORT_COUNT + 1):
        link = os.path.join(devices, "com%d" % n)
        saved[link] = os.readlink(link) if os.path.islink(link) else None
        target = next((p.path for p in ports if p.number == n), os.path.join(directory, "absent%d" % n))
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(target, link)

    threads = []
    for p in ports:
        for loop in (p.read_loop, p.control_loop):
            t = threading.Thread(target=loop, daemon=True)
            t.start()
            threads.append(t)

    env = dict(os.environ)
    env["TYVORN_SERIAL_DIR"] = "Z:" + directory.replace("/", "\\")
    env["WINEPREFIX"] = prefix
    try:
        code = subprocess.call(command, env=env)
    finally:
        for p in ports:
            p.stop.set()
        for t in threads:
            t.join(1)
        for link, target in saved.items():
            if os.path.lexists(link):
                os.remove(link)
            if target:
                os.symlink(target, link)
        for p in ports:
            os.close(p.master)
            os.close(p.slave)
        for name in os.listdir(directory):
            os.remove(os.path.join(directory, name))
        os.rmdir(directory)
    sys.exit(code)


if __name__ == "__main__":
    main()
