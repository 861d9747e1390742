'''A ModemManager for tests, loaded by python3-dbusmock as a template.

Modem 0 has the ports ttyUSB1 and ttyUSB2 and the Voice interface, modem 1 the port ttyACM0 and no
Voice interface. Every Voice and Call method called is appended to the file named by the parameter
"log", one line each: the method, then the number or the call's path. CreateCall fails for the
number "fail"; Start takes two seconds for the number "slow", during which the mock answers nothing
else.
'''

import time

import dbus
from dbusmock.mockobject import objects

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
VOICE_IFACE = 'org.freedesktop.ModemManager1.Modem.Voice'
CALL_IFACE = 'org.freedesktop.ModemManager1.Call'


def ports(*names):
    return dbus.Array([dbus.Struct((name, dbus.UInt32(3)), signature='su') for name in names],
                      signature='(su)')


def load(mock, parameters):
    def record(*parts):
        with open(parameters['log'], 'a', encoding='utf-8') as log:
            log.write(' '.join(str(part) for part in parts) + '\n')

    def start(call):
        record('Start', call.path)
        if call.number == 'slow':
            time.sleep(2)

    def hangup(call):
        record('Hangup', call.path)

    def create_call(modem, properties):
        number = properties['number']
        if number == 'fail':
            raise dbus.exceptions.DBusException(
                'No network', name='org.freedesktop.ModemManager1.Error.Core.Failed')
        record('CreateCall', number)
        modem.calls = getattr(modem, 'calls', 0) + 1
        path = f'{MAIN_OBJ}/Call/{modem.calls}'
        modem.AddObject(path, CALL_IFACE, {}, [('Start', '', '', start), ('Hangup', '', '', hangup)])
        objects[path].number = number
        return dbus.ObjectPath(path)

    def delete_call(modem, path):
        record('DeleteCall', path)
        modem.RemoveObject(path)

    mock.AddObject(MAIN_OBJ + '/Modem/0', MODEM_IFACE,
                   {'Ports': ports('ttyUSB1', 'ttyUSB2'), 'PrimaryPort': 'ttyUSB2'}, [])
    voice = objects[MAIN_OBJ + '/Modem/0']
    voice.AddProperties(VOICE_IFACE, {'Calls': dbus.Array([], signature='o')})
    voice.AddMethods(VOICE_IFACE, [('CreateCall', 'a{sv}', 'o', create_call),
                                   ('DeleteCall', 'o', '', delete_call)])
    mock.AddObject(MAIN_OBJ + '/Modem/1', MODEM_IFACE,
                   {'Ports': ports('ttyACM0'), 'PrimaryPort': 'ttyACM0'}, [])
