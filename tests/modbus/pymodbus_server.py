#!/usr/bin/python3
"""A Modbus server of pymodbus for the Zel.Modbus tests: an independent implementation that
the provider is checked against.

    pymodbus_server.py --port N            Modbus TCP on 127.0.0.1:N
    pymodbus_server.py --serial DEVICE     Modbus RTU on a serial device (19200 baud, 8N1)

Every table (co, di, hr, ir) has 1000 places from address 0, all zero. Once serving, the
server prints "ready" and then takes commands on standard input, one a line, answering each
with one line:

    set TABLE ADDRESS V1 [V2 ...]    store values                      > ok
    get TABLE ADDRESS COUNT          read values back                  > the values, blank-separated
    fail TABLE ADDRESS               requests touching ADDRESS answer exception 2 (illegal data address)
    broken TABLE ADDRESS             requests touching ADDRESS answer exception 4 (device failure)
    quit                             stop
"""

import argparse
import asyncio
import sys
import threading

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartAsyncSerialServer, StartAsyncTcpServer
from pymodbus.transaction import ModbusRtuFramer


class Block(ModbusSequentialDataBlock):
    """Sequential values with addresses that refuse or fail on request."""

    def __init__(self):
        super().__init__(0, [0] * 1000)
        self.refused = set()
        self.broken = set()

    def validate(self, address, count=1):
        if any(a in self.refused for a in range(address, address + count)):
            return False
        return super().validate(address, count)

    def getValues(self, address, count=1):
        if any(a in self.broken for a in range(address, address + count)):
            raise RuntimeError("broken address")
        return super().getValues(address, count)

    def setValues(self, address, values):
        if not isinstance(values, list):
            values = [values]
        if any(a in self.broken for a in range(address, address + len(values))):
            raise RuntimeError("broken address")
        super().setValues(address, values)


def commands(blocks, loop, stop):
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            if words[0] == "quit":
                break
            block = blocks[words[1]]
            address = int(words[2])
            if words[0] == "set":
                ModbusSequentialDataBlock.setValues(block, address, [int(w) for w in words[3:]])
                answer = "ok"
            elif words[0] == "get":
                values = ModbusSequentialDataBlock.getValues(block, address, int(words[3]))
                answer = " ".join(str(int(v)) for v in values)
            elif words[0] == "fail":
                block.refused.add(address)
                answer = "ok"
            elif words[0] == "broken":
                block.broken.add(address)
                answer = "ok"
            else:
                answer = "error unknown command"
        except (KeyError, IndexError, ValueError) as exc:
            answer = f"error {exc!r}"
        print(answer, flush=True)
    loop.call_soon_threadsafe(stop.set)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int)
    parser.add_argument("--serial")
    args = parser.parse_args()

    blocks = {name: Block() for name in ("co", "di", "hr", "ir")}
    store = ModbusSlaveContext(zero_mode=True, **blocks)
    context = ModbusServerContext(slaves=store, single=True)
    if args.serial:
        server = asyncio.ensure_future(StartAsyncSerialServer(
            context=context, framer=ModbusRtuFramer, port=args.serial, baudrate=19200,
            bytesize=8, parity="N", stopbits=1, timeout=0.05))
    else:
        server = asyncio.ensure_future(StartAsyncTcpServer(
            context=context, address=("127.0.0.1", args.port), allow_reuse_address=True))
    # Ready once the server takes connections (TCP) or has had its moment to open the line.
    for _ in range(100):
        await asyncio.sleep(0.05)
        if server.done():
            server.result()  # raises what went wrong
        if args.serial:
            if _ >= 6:
                break
            continue
        try:
            _reader, writer = await asyncio.open_connection("127.0.0.1", args.port)
            writer.close()
            break
        except OSError:
            pass
    print("ready", flush=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    threading.Thread(target=commands, args=(blocks, loop, stop), daemon=True).start()
    await stop.wait()
    server.cancel()


if __name__ == "__main__":
    asyncio.run(main())
